#include "model/DataObjectStore.h"

#include "imaging/Color.h"
#include "imaging/Icon.h"
#include "imaging/SmallIconImage.h"
#include "model/LanguageTable.h"
#include "model/Settings.h"
#include "model/XMLStore.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "services/UserIdentity.h"

#include <QDebug>

namespace {

QString path(const QString &prefix, const char *name) {
  return prefix + u'/' + QLatin1String(name);
}

// A path of this file, parsed once: a store of many reminders reads the same paths again and
// again.
#define ITEM_PATH(text)                                                                            \
  ([]() -> const TXmlPath & {                                                                      \
    static const TXmlPath path(text);                                                              \
    return path;                                                                                   \
  }())

// The paths of the compound values, built once: reading a store of many reminders should not
// build the same texts again for every one.
struct ValuePaths {
  explicit ValuePaths(const QString &p) : value(path(p, "value")), measure(path(p, "measure")) {}
  TXmlPath value, measure;
};

struct PositionPaths {
  explicit PositionPaths(const QString &p)
      : left(path(p, "left")), top(path(p, "top")), width(path(p, "width")),
        height(path(p, "height")), autoSize(path(p, "autoSize")) {}
  TXmlPath left, top, width, height, autoSize;
};

constexpr std::pair<const char *, int> FontStyles[] = {{"styleBold", FontStyleBold},
                                                       {"styleItalic", FontStyleItalic},
                                                       {"styleUnderline", FontStyleUnderline},
                                                       {"styleStrikeout", FontStyleStrikeout}};

struct FontPaths {
  explicit FontPaths(const QString &p)
      : name(path(p, "name")),
        color(path(p, "color")), styles{path(p, FontStyles[0].first), path(p, FontStyles[1].first),
                                        path(p, FontStyles[2].first), path(p, FontStyles[3].first)},
        size(path(p, "size")), charset(path(p, "charset")) {}
  TXmlPath name, color, styles[4], size, charset;
};

// The text blocks of the sticker, in the order they are written, with their default alignments.
struct TextBlock {
  const char *name;
  TStickerTextRec TStickerRec::*field;
  TStickerTextAlignment alignment;
};
constexpr TextBlock TextBlocks[] = {
    {"text", &TStickerRec::text, TStickerTextAlignment::Left},
    {"subject", &TStickerRec::subject, TStickerTextAlignment::Centre},
    {"time", &TStickerRec::time, TStickerTextAlignment::Right},
    {"date", &TStickerRec::date, TStickerTextAlignment::Left}};

struct BlockPaths {
  explicit BlockPaths(const QString &p)
      : enable(path(p, "enable")), alignment(path(p, "alignment")), font(path(p, "font")),
        position(path(p, "position")) {}
  TXmlPath enable, alignment;
  FontPaths font;
  PositionPaths position;
};

struct ImagePaths {
  explicit ImagePaths(const QString &p)
      : enable(path(p, "enable")), transparent(path(p, "transparent")),
        position(path(p, "position")) {}
  TXmlPath enable, transparent;
  PositionPaths position;
};

struct ItemPaths {
  ValuePaths repeatValue1{QStringLiteral("repeat/value1")};
  ValuePaths repeatValue2{QStringLiteral("repeat/value2")};
  ValuePaths stopBoundValue{QStringLiteral("stopBound/value")};
  ValuePaths durationValue1{QStringLiteral("duration/value1")};
  ValuePaths durationValue2{QStringLiteral("duration/value2")};
  ValuePaths remindBeforeValue{QStringLiteral("remindBefore/value")};
  ValuePaths remindAfterValue{QStringLiteral("remindAfter/value")};
  BlockPaths blocks[4] = {
      BlockPaths(QStringLiteral("sticker/text")), BlockPaths(QStringLiteral("sticker/subject")),
      BlockPaths(QStringLiteral("sticker/time")), BlockPaths(QStringLiteral("sticker/date"))};
  PositionPaths stickerPosition{QStringLiteral("sticker/position")};
  ImagePaths image{QStringLiteral("sticker/image")};
  ImagePaths movingImage{QStringLiteral("sticker/movingImage")};
};

const ItemPaths &paths() {
  static const ItemPaths p;
  return p;
}

// Every line break as CR LF: XML parsers hand back a lone LF for what was written as CR LF.
QString withCrLf(const QString &text) {
  QString out;
  out.reserve(text.size() + 8);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\r') {
      out += QStringLiteral("\r\n");
      if (i + 1 < text.size() && text[i + 1] == u'\n')
        ++i;
    } else if (c == u'\n') {
      out += QStringLiteral("\r\n");
    } else {
      out += c;
    }
  }
  return out;
}

// Typed reads of the selected item in which a value that does not convert gives the default.
class Reader {
public:
  explicit Reader(const TXMLStore &store) : s(store) {}

  QString str(const TXmlPath &p, const QString &def) const { return s.ReadString(p, def); }
  bool boolean(const TXmlPath &p, bool def) const { return s.ReadBool(p, def); }
  TDateTime dateTime(const TXmlPath &p, TDateTime def) const { return s.ReadDateTime(p, def); }
  int integer(const TXmlPath &p, int def) const {
    try {
      return s.ReadInteger(p, def);
    } catch (const EConvertError &) {
      return def;
    }
  }
  // A missing, empty or unknown colour gives the default.
  int32_t color(const TXmlPath &p, TColor def) const {
    const QString text = s.ReadString(p, QString());
    const std::optional<TColor> c = text.isEmpty() ? std::nullopt : TryStringToColor(text);
    return static_cast<int32_t>(c ? *c : def);
  }
  TValueRec value(const ValuePaths &p, int value, TMeasure measure) const {
    return {integer(p.value, value),
            static_cast<TMeasure>(integer(p.measure, static_cast<int>(measure)))};
  }
  TPositionRec position(const PositionPaths &p, int left, int top, int width, int height) const {
    return {integer(p.left, left), integer(p.top, top), integer(p.width, width),
            integer(p.height, height), boolean(p.autoSize, true)};
  }
  TFontRec font(const FontPaths &p) const {
    TFontRec f;
    f.name = str(p.name, QStringLiteral("Default"));
    f.color = color(p.color, clBlack);
    for (int i = 0; i < 4; ++i)
      if (boolean(p.styles[i], false))
        f.style |= FontStyles[i].second;
    f.size = integer(p.size, 8);
    f.charset = integer(p.charset, 1);
    return f;
  }

private:
  const TXMLStore &s;
};

class Writer {
public:
  explicit Writer(TXMLStore &store) : s(store) {}

  void str(const TXmlPath &p, const QString &v) { s.WriteString(p, v); }
  void boolean(const TXmlPath &p, bool v) { s.WriteBool(p, v); }
  void integer(const TXmlPath &p, int v) { s.WriteInteger(p, v); }
  void dateTime(const TXmlPath &p, TDateTime v) { s.WriteDateTime(p, v); }
  void color(const TXmlPath &p, int32_t v) {
    s.WriteString(p, ColorToString(static_cast<TColor>(v)));
  }
  void value(const ValuePaths &p, const TValueRec &v) {
    integer(p.value, v.value);
    integer(p.measure, static_cast<int>(v.measure));
  }
  void position(const PositionPaths &p, const TPositionRec &v) {
    integer(p.left, v.left);
    integer(p.top, v.top);
    integer(p.width, v.width);
    integer(p.height, v.height);
    boolean(p.autoSize, v.autoSize);
  }
  void font(const FontPaths &p, const TFontRec &f) {
    str(p.name, f.name);
    color(p.color, f.color);
    for (int i = 0; i < 4; ++i)
      boolean(p.styles[i], (f.style & FontStyles[i].second) != 0);
    integer(p.size, f.size);
    integer(p.charset, f.charset);
  }

private:
  TXMLStore &s;
};

void readSticker(const Reader &r, TStickerRec &st) {
  const ItemPaths &ps = paths();
  st.enable = r.boolean(ITEM_PATH("sticker/enable"), true);
  st.textAsHintEnable = r.boolean(ITEM_PATH("sticker/textAsHintEnable"), true);
  st.subjectAsHintEnable = r.boolean(ITEM_PATH("sticker/subjectAsHintEnable"), true);
  st.onTop = r.boolean(ITEM_PATH("sticker/onTop"), true);
  st.opacity = r.integer(ITEM_PATH("sticker/opacity"), 0);
  for (int i = 0; i < 4; ++i) {
    const BlockPaths &bp = ps.blocks[i];
    TStickerTextRec &t = st.*TextBlocks[i].field;
    t.enable = r.boolean(bp.enable, true);
    t.alignment = static_cast<TStickerTextAlignment>(
        r.integer(bp.alignment, static_cast<int>(TextBlocks[i].alignment)));
    t.position = r.position(bp.position, 0, 0, 0, 0);
    t.font = r.font(bp.font);
  }
  // No stored place is an empty position: the sticker then sizes itself and appears in the middle
  // of the primary screen, and its first place is what the store keeps.
  st.position = r.position(ps.stickerPosition, 0, 0, 0, 0);
  st.background.transparent = r.boolean(ITEM_PATH("sticker/background/transparent"), false);
  st.background.color = r.color(ITEM_PATH("sticker/background/color"), clInfoBk);
  st.frame.enable = r.boolean(ITEM_PATH("sticker/frame/enable"), false);
  st.frame.color = r.color(ITEM_PATH("sticker/frame/color"), clBlack);
  st.frame.style = static_cast<TStickerFrameStyle>(r.integer(ITEM_PATH("sticker/frame/style"), 0));
  for (auto [ip, image] : {std::pair{&ps.image, &st.image}, {&ps.movingImage, &st.movingImage}}) {
    image->enable = r.boolean(ip->enable, false);
    image->transparent = r.boolean(ip->transparent, true);
    image->position = r.position(ip->position, 0, 0, 0, 0);
  }
}

void writeSticker(Writer &w, const TStickerRec &st) {
  const ItemPaths &ps = paths();
  w.boolean(ITEM_PATH("sticker/enable"), st.enable);
  w.boolean(ITEM_PATH("sticker/textAsHintEnable"), st.textAsHintEnable);
  w.boolean(ITEM_PATH("sticker/subjectAsHintEnable"), st.subjectAsHintEnable);
  w.boolean(ITEM_PATH("sticker/onTop"), st.onTop);
  w.integer(ITEM_PATH("sticker/opacity"), st.opacity);
  for (int i = 0; i < 4; ++i) {
    const BlockPaths &bp = ps.blocks[i];
    const TStickerTextRec &t = st.*TextBlocks[i].field;
    w.boolean(bp.enable, t.enable);
    w.integer(bp.alignment, static_cast<int>(t.alignment));
    w.font(bp.font, t.font);
    w.position(bp.position, t.position);
  }
  w.position(ps.stickerPosition, st.position);
  w.boolean(ITEM_PATH("sticker/background/transparent"), st.background.transparent);
  w.color(ITEM_PATH("sticker/background/color"), st.background.color);
  w.boolean(ITEM_PATH("sticker/frame/enable"), st.frame.enable);
  w.color(ITEM_PATH("sticker/frame/color"), st.frame.color);
  w.integer(ITEM_PATH("sticker/frame/style"), static_cast<int>(st.frame.style));
  for (auto [ip, image] : {std::pair{&ps.image, &st.image}, {&ps.movingImage, &st.movingImage}}) {
    w.boolean(ip->enable, image->enable);
    w.boolean(ip->transparent, image->transparent);
    w.position(ip->position, image->position);
  }
}

// A picture that cannot be read is no picture: this runs while a reminder fires and while the
// list is browsed, and one broken item must not stop either.
std::unique_ptr<TGraphic> readPicture(const TXMLStore &store, const QString &p) {
  try {
    return store.ReadGraphic(p);
  } catch (const std::exception &e) {
    qWarning() << "Picture" << p << "not readable:" << e.what();
    return nullptr;
  }
}

// Only a real icon can be reduced; an icon of a class the program was started without keeps all
// its images.
void reduceIcon(TGraphic *icon) {
  if (auto *realIcon = dynamic_cast<TIcon *>(icon))
    SelectSmallIconImage(*realIcon);
}

} // namespace

void LoadFromStore(TDataObject &o) {
  TXMLStore &store = Store();
  store.SelectItem(o.Id); // without an item every read gives its default
  const Reader r(store);
  const TDateTime now = currentClock().now();
  const TDateTime thisHour = DateOf(now) + OneHour * DecodeTime(now).hour;

  o.parentId = r.str(ITEM_PATH("parentId"), QString()).trimmed();
  o.type = r.integer(ITEM_PATH("type"), 0);
  o.state = static_cast<TReminderState>(r.integer(ITEM_PATH("state"), 0));
  o.createDt = r.dateTime(ITEM_PATH("createDt"), now);
  o.lastCloseByUserDt = r.dateTime(ITEM_PATH("lastCloseByUserDt"), TDateTime());
  o.lastCloseByUserRemindBeforeDt =
      r.dateTime(ITEM_PATH("lastCloseByUserRemindBeforeDt"), TDateTime());
  // Files from before firings were remembered lack the element: nothing has fired then.
  o.LastRunDue = r.dateTime(ITEM_PATH("lastRunDueDt"), TDateTime());
  o.enable = r.boolean(ITEM_PATH("enable"), true);
  o.default_ = r.boolean(ITEM_PATH("default"), false);
  o.hintEnable = r.boolean(ITEM_PATH("hintEnable"), false);
  o.subject = r.str(ITEM_PATH("subject"), TranslateText(QStringLiteral("New reminder"))).trimmed();
  o.text = withCrLf(r.str(ITEM_PATH("text"), QString()));

  o.repeat.type = static_cast<TRepeatType>(r.integer(ITEM_PATH("repeat/type"), 2));
  o.repeat.value1 = r.value(paths().repeatValue1, 1, TMeasure::Minute);
  o.repeat.value2 = r.value(paths().repeatValue2, 0, TMeasure::Minute);
  o.repeat.dt = r.dateTime(ITEM_PATH("repeat/dt"), now);
  o.repeat.days = r.str(ITEM_PATH("repeat/days"), QString());

  o.startBound.type = static_cast<TStartBoundType>(r.integer(ITEM_PATH("startBound/type"), 0));
  o.startBound.dt = r.dateTime(ITEM_PATH("startBound/dt"), thisHour);

  o.stopBound.enable = r.boolean(ITEM_PATH("stopBound/enable"), false);
  o.stopBound.type = static_cast<TStopBoundType>(r.integer(ITEM_PATH("stopBound/type"), 0));
  o.stopBound.dt = r.dateTime(ITEM_PATH("stopBound/dt"), now);
  o.stopBound.value = r.value(paths().stopBoundValue, 1, TMeasure::Hour);

  o.duration.enable = r.boolean(ITEM_PATH("duration/enable"), false);
  o.duration.value1 = r.value(paths().durationValue1, 0, TMeasure::Hour);
  o.duration.value2 = r.value(paths().durationValue2, 10, TMeasure::Minute);

  o.remindBefore.enable = r.boolean(ITEM_PATH("remindBefore/enable"), false);
  o.remindBefore.value = r.value(paths().remindBeforeValue, 10, TMeasure::Minute);

  o.remindAfter.enable = r.boolean(ITEM_PATH("remindAfter/enable"), false);
  o.remindAfter.value = r.value(paths().remindAfterValue, 5, TMeasure::Minute);
  o.remindAfter.dtStart = r.dateTime(ITEM_PATH("remindAfter/dtStart"), now);
  o.remindAfter.dtStop = r.dateTime(ITEM_PATH("remindAfter/dtStop"), TDateTime());
  // A remind-again window that has begun, or has no end, does not survive a reload.
  if (now >= o.remindAfter.dtStart || o.remindAfter.dtStop.ms <= 0) {
    o.remindAfter.enable = false;
    o.remindAfter.dtStart = TDateTime();
    o.remindAfter.dtStop = TDateTime();
  }

  o.tray = r.boolean(ITEM_PATH("tray"), false);
  readSticker(r, o.sticker);

  o.mail.enable = r.boolean(ITEM_PATH("mail/enable"), false);
  o.mail.to = r.str(ITEM_PATH("mail/to"), QString());
  o.mail.from = r.str(ITEM_PATH("mail/from"),
                      MainSettings().readString(QStringLiteral("Mail"),
                                                QStringLiteral("DefaultFromAddress"), QString()));
  o.mail.cc = r.str(ITEM_PATH("mail/cc"), QString());
  o.mail.bcc = r.str(ITEM_PATH("mail/bcc"), QString());
  o.mail.files = r.str(ITEM_PATH("mail/files"), QString());

  o.sound.enable = r.boolean(ITEM_PATH("sound/enable"), false);
  o.sound.fileName = r.str(ITEM_PATH("sound/fileName"), QString());
  o.sound.volume = r.integer(ITEM_PATH("sound/volume"), 100);
  o.sound.repeat = r.boolean(ITEM_PATH("sound/repeat"), false);

  o.shellExec.enable = r.boolean(ITEM_PATH("shellExec/enable"), false);
  o.shellExec.fileName = r.str(ITEM_PATH("shellExec/fileName"), QString());
  o.shellExec.params = r.str(ITEM_PATH("shellExec/params"), QString());
  o.shellExec.folder = r.str(ITEM_PATH("shellExec/folder"), QString());
  o.shellExec.flag = static_cast<TShowFlag>(r.integer(ITEM_PATH("shellExec/flag"), 1));
}

void AssignNewId(TDataObject &o) {
  if (o.Id != NewReminderId)
    return;
  o.Id = Store().AddNewItem(GetLoginUserName());
  o.createDt = currentClock().now();
}

void SaveToStore(TDataObject &o, bool noFlush) {
  AssignNewId(o);
  TXMLStore &store = Store();
  if (!store.SelectItem(o.Id))
    return;
  Writer w(store);
  w.str(ITEM_PATH("parentId"), o.parentId);
  w.integer(ITEM_PATH("type"), o.type);
  w.integer(ITEM_PATH("state"), static_cast<int>(o.state));
  w.dateTime(ITEM_PATH("createDt"), o.createDt);
  w.dateTime(ITEM_PATH("lastCloseByUserDt"), o.lastCloseByUserDt);
  w.dateTime(ITEM_PATH("lastCloseByUserRemindBeforeDt"), o.lastCloseByUserRemindBeforeDt);
  // The run that fired last, so that a restart inside its window does not fire it again (and
  // send its mail and start its program twice). Written only once something fired.
  if (o.LastRunDue.isSet())
    w.dateTime(ITEM_PATH("lastRunDueDt"), o.LastRunDue);
  w.boolean(ITEM_PATH("enable"), o.enable);
  w.boolean(ITEM_PATH("default"), o.default_);
  w.boolean(ITEM_PATH("hintEnable"), o.hintEnable);
  w.str(ITEM_PATH("subject"), o.subject);
  w.str(ITEM_PATH("text"), o.text);

  w.integer(ITEM_PATH("repeat/type"), static_cast<int>(o.repeat.type));
  w.value(paths().repeatValue1, o.repeat.value1);
  w.value(paths().repeatValue2, o.repeat.value2);
  w.dateTime(ITEM_PATH("repeat/dt"), o.repeat.dt);
  w.str(ITEM_PATH("repeat/days"), o.repeat.days);
  w.integer(ITEM_PATH("startBound/type"), static_cast<int>(o.startBound.type));
  w.dateTime(ITEM_PATH("startBound/dt"), o.startBound.dt);
  w.boolean(ITEM_PATH("stopBound/enable"), o.stopBound.enable);
  w.integer(ITEM_PATH("stopBound/type"), static_cast<int>(o.stopBound.type));
  w.dateTime(ITEM_PATH("stopBound/dt"), o.stopBound.dt);
  w.value(paths().stopBoundValue, o.stopBound.value);
  w.boolean(ITEM_PATH("duration/enable"), o.duration.enable);
  w.value(paths().durationValue1, o.duration.value1);
  w.value(paths().durationValue2, o.duration.value2);
  w.boolean(ITEM_PATH("remindBefore/enable"), o.remindBefore.enable);
  w.value(paths().remindBeforeValue, o.remindBefore.value);
  w.boolean(ITEM_PATH("remindAfter/enable"), o.remindAfter.enable);
  w.value(paths().remindAfterValue, o.remindAfter.value);
  w.dateTime(ITEM_PATH("remindAfter/dtStart"), o.remindAfter.dtStart);
  w.dateTime(ITEM_PATH("remindAfter/dtStop"), o.remindAfter.dtStop);
  w.boolean(ITEM_PATH("tray"), o.tray);
  writeSticker(w, o.sticker);

  w.boolean(ITEM_PATH("mail/enable"), o.mail.enable);
  w.str(ITEM_PATH("mail/to"), o.mail.to);
  w.str(ITEM_PATH("mail/from"), o.mail.from);
  w.str(ITEM_PATH("mail/cc"), o.mail.cc);
  w.str(ITEM_PATH("mail/bcc"), o.mail.bcc);
  w.str(ITEM_PATH("mail/files"), o.mail.files);
  w.boolean(ITEM_PATH("sound/enable"), o.sound.enable);
  w.str(ITEM_PATH("sound/fileName"), o.sound.fileName);
  w.integer(ITEM_PATH("sound/volume"), o.sound.volume);
  w.boolean(ITEM_PATH("sound/repeat"), o.sound.repeat);
  w.boolean(ITEM_PATH("shellExec/enable"), o.shellExec.enable);
  w.str(ITEM_PATH("shellExec/fileName"), o.shellExec.fileName);
  w.str(ITEM_PATH("shellExec/params"), o.shellExec.params);
  w.str(ITEM_PATH("shellExec/folder"), o.shellExec.folder);
  w.integer(ITEM_PATH("shellExec/flag"), static_cast<int>(o.shellExec.flag));
  if (!noFlush)
    store.Flush();
}

void SaveStickerPosition(const TDataObject &o) {
  TXMLStore &store = Store();
  if (!store.SelectItem(o.Id))
    return;
  Writer w(store);
  w.position(paths().stickerPosition, o.sticker.position);
  store.Flush();
}

// A received mail action would mail a text of the sender's choosing to recipients of the sender's
// choosing through the user's own server, so it arrives switched off, attachments or not.
bool DisarmItem(TMSXMLObject &store) {
  bool changed = false;
  for (const QString &action :
       {QStringLiteral("shellExec/enable"), QStringLiteral("mail/enable")}) {
    if (store.ReadBool(action, false)) {
      store.WriteBool(action, false);
      changed = true;
    }
  }
  return changed;
}

void InstallStoreLoader() { SetDataObjectLoader(&LoadFromStore); }

// --- Pictures ---------------------------------------------------------------------------------

TStickerImages LoadStickerImages(const TDataObject &o) {
  TStickerImages images;
  TXMLStore &store = Store();
  if (!store.SelectItem(o.Id))
    return images;
  images.movingImage = readPicture(store, QStringLiteral("sticker/movingImage/graphics"));
  if (images.movingImage && images.movingImage->className() != QLatin1String("GIFImage"))
    images.movingImage.reset();
  images.image = readPicture(store, QStringLiteral("sticker/image/graphics"));
  return images;
}

void SaveStickerImages(const TDataObject &o, const TGraphic *movingImage, const TGraphic *image) {
  TXMLStore &store = Store();
  if (!store.SelectItem(o.Id))
    return;
  store.WriteGraphic(QStringLiteral("sticker/movingImage/graphics"), movingImage);
  store.WriteGraphic(QStringLiteral("sticker/image/graphics"), image);
}

void SaveIcon(const TDataObject &o, const TGraphic *iconFrames, const TGraphic *icon) {
  TXMLStore &store = Store();
  if (!store.SelectItem(o.Id))
    return;
  if (iconFrames && !iconFrames->empty())
    store.WriteIconList(QStringLiteral("icon"), iconFrames);
  else
    store.WriteGraphic(QStringLiteral("icon"), icon);
}

TIconImages LoadIcon(const TDataObject &o, bool keepAllSizes) {
  TIconImages result;
  TXMLStore &store = Store();
  if (!store.SelectItem(o.Id))
    return result;
  const QString kind = store.ReadString(QStringLiteral("icon/classname"), QString()).toUpper();
  if (kind == QLatin1String("ICONLIST")) {
    auto list = graphics::create(QStringLiteral("IconList"));
    try {
      if (store.ReadIconList(QStringLiteral("icon"), list.get()))
        result.icons = std::move(list);
    } catch (const std::exception &e) {
      qWarning() << "Icon frames not readable:" << e.what();
    }
  } else if (kind == QLatin1String("ICON")) {
    result.icon = readPicture(store, QStringLiteral("icon"));
    if (!keepAllSizes)
      reduceIcon(result.icon.get());
  }
  return result;
}

bool LoadTrayIcon(const TDataObject &o, TTrayIconImage &trayIcon) {
  TXMLStore &store = Store();
  if (!store.SelectItem(o.Id))
    return false;
  store.ReadTrayIcon(QStringLiteral("icon"), &trayIcon);
  if (!trayIcon.Animated)
    reduceIcon(trayIcon.Icon.get());
  return (trayIcon.Animated && trayIcon.Icons) || trayIcon.Icon;
}
