#include "model/DataObjectStore.h"

#include "imaging/Color.h"
#include "model/LanguageTable.h"
#include "model/Settings.h"
#include "model/SmallIcon.h"
#include "model/XMLStore.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "services/UserIdentity.h"

#include <QDebug>

namespace {

std::function<QSize()> &screenSize() {
  static std::function<QSize()> provider = [] { return QSize(800, 600); };
  return provider;
}

QString path(const QString &prefix, const char *name) {
  return prefix + u'/' + QLatin1String(name);
}

// Text blocks of the sticker, in the order they are written, with their default alignments.
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

constexpr std::pair<const char *, int> FontStyles[] = {{"styleBold", FontStyleBold},
                                                       {"styleItalic", FontStyleItalic},
                                                       {"styleUnderline", FontStyleUnderline},
                                                       {"styleStrikeout", FontStyleStrikeout}};

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

  QString str(const QString &p, const QString &def) const { return s.ReadString(p, def); }
  bool boolean(const QString &p, bool def) const { return s.ReadBool(p, def); }
  TDateTime dateTime(const QString &p, TDateTime def) const { return s.ReadDateTime(p, def); }
  int integer(const QString &p, int def) const {
    try {
      return s.ReadInteger(p, def);
    } catch (const EConvertError &) {
      return def;
    }
  }
  int32_t color(const QString &p, TColor def) const {
    const std::optional<TColor> c = TryStringToColor(s.ReadString(p, ColorToString(def)));
    return static_cast<int32_t>(c ? *c : def);
  }
  TValueRec value(const QString &p, int value, TMeasure measure) const {
    return {integer(path(p, "value"), value),
            static_cast<TMeasure>(integer(path(p, "measure"), static_cast<int>(measure)))};
  }
  TPositionRec position(const QString &p, int left, int top, int width, int height) const {
    return {integer(path(p, "left"), left), integer(path(p, "top"), top),
            integer(path(p, "width"), width), integer(path(p, "height"), height),
            boolean(path(p, "autoSize"), true)};
  }
  TFontRec font(const QString &p) const {
    TFontRec f;
    f.name = str(path(p, "name"), QStringLiteral("Default"));
    f.color = color(path(p, "color"), clBlack);
    for (const auto &[name, bit] : FontStyles)
      if (boolean(path(p, name), false))
        f.style |= bit;
    f.size = integer(path(p, "size"), 8);
    f.charset = integer(path(p, "charset"), 1);
    return f;
  }

private:
  const TXMLStore &s;
};

class Writer {
public:
  explicit Writer(TXMLStore &store) : s(store) {}

  void str(const QString &p, const QString &v) { s.WriteString(p, v); }
  void boolean(const QString &p, bool v) { s.WriteBool(p, v); }
  void integer(const QString &p, int v) { s.WriteInteger(p, v); }
  void dateTime(const QString &p, TDateTime v) { s.WriteDateTime(p, v); }
  void color(const QString &p, int32_t v) {
    s.WriteString(p, ColorToString(static_cast<TColor>(v)));
  }
  void value(const QString &p, const TValueRec &v) {
    integer(path(p, "value"), v.value);
    integer(path(p, "measure"), static_cast<int>(v.measure));
  }
  void position(const QString &p, const TPositionRec &v) {
    integer(path(p, "left"), v.left);
    integer(path(p, "top"), v.top);
    integer(path(p, "width"), v.width);
    integer(path(p, "height"), v.height);
    boolean(path(p, "autoSize"), v.autoSize);
  }
  void font(const QString &p, const TFontRec &f) {
    str(path(p, "name"), f.name);
    color(path(p, "color"), f.color);
    for (const auto &[name, bit] : FontStyles)
      boolean(path(p, name), (f.style & bit) != 0);
    integer(path(p, "size"), f.size);
    integer(path(p, "charset"), f.charset);
  }

private:
  TXMLStore &s;
};

void readSticker(const Reader &r, TStickerRec &st, QSize screen) {
  const QString p = QStringLiteral("sticker");
  st.enable = r.boolean(path(p, "enable"), true);
  st.textAsHintEnable = r.boolean(path(p, "textAsHintEnable"), true);
  st.subjectAsHintEnable = r.boolean(path(p, "subjectAsHintEnable"), true);
  st.onTop = r.boolean(path(p, "onTop"), true);
  st.opacity = r.integer(path(p, "opacity"), 0);
  for (const TextBlock &b : TextBlocks) {
    const QString bp = path(p, b.name);
    TStickerTextRec &t = st.*b.field;
    t.enable = r.boolean(path(bp, "enable"), true);
    t.alignment = static_cast<TStickerTextAlignment>(
        r.integer(path(bp, "alignment"), static_cast<int>(b.alignment)));
    t.position = r.position(path(bp, "position"), 0, 0, 0, 0);
    t.font = r.font(path(bp, "font"));
  }
  const int w = screen.width() / 6, h = screen.height() / 6;
  st.position = r.position(path(p, "position"), w, h, w, h);
  st.background.transparent = r.boolean(QStringLiteral("sticker/background/transparent"), false);
  st.background.color = r.color(QStringLiteral("sticker/background/color"), clInfoBk);
  st.frame.enable = r.boolean(QStringLiteral("sticker/frame/enable"), false);
  st.frame.color = r.color(QStringLiteral("sticker/frame/color"), clBlack);
  st.frame.style =
      static_cast<TStickerFrameStyle>(r.integer(QStringLiteral("sticker/frame/style"), 0));
  for (auto [name, image] : {std::pair{"image", &st.image}, {"movingImage", &st.movingImage}}) {
    const QString ip = path(p, name);
    image->enable = r.boolean(path(ip, "enable"), false);
    image->transparent = r.boolean(path(ip, "transparent"), true);
    image->position = r.position(path(ip, "position"), 0, 0, 0, 0);
  }
}

void writeSticker(Writer &w, const TStickerRec &st) {
  const QString p = QStringLiteral("sticker");
  w.boolean(path(p, "enable"), st.enable);
  w.boolean(path(p, "textAsHintEnable"), st.textAsHintEnable);
  w.boolean(path(p, "subjectAsHintEnable"), st.subjectAsHintEnable);
  w.boolean(path(p, "onTop"), st.onTop);
  w.integer(path(p, "opacity"), st.opacity);
  for (const TextBlock &b : TextBlocks) {
    const QString bp = path(p, b.name);
    const TStickerTextRec &t = st.*b.field;
    w.boolean(path(bp, "enable"), t.enable);
    w.integer(path(bp, "alignment"), static_cast<int>(t.alignment));
    w.font(path(bp, "font"), t.font);
    w.position(path(bp, "position"), t.position);
  }
  w.position(path(p, "position"), st.position);
  w.boolean(QStringLiteral("sticker/background/transparent"), st.background.transparent);
  w.color(QStringLiteral("sticker/background/color"), st.background.color);
  w.boolean(QStringLiteral("sticker/frame/enable"), st.frame.enable);
  w.color(QStringLiteral("sticker/frame/color"), st.frame.color);
  w.integer(QStringLiteral("sticker/frame/style"), static_cast<int>(st.frame.style));
  for (auto [name, image] : {std::pair{"image", &st.image}, {"movingImage", &st.movingImage}}) {
    const QString ip = path(p, name);
    w.boolean(path(ip, "enable"), image->enable);
    w.boolean(path(ip, "transparent"), image->transparent);
    w.position(path(ip, "position"), image->position);
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

} // namespace

void SetScreenSizeProvider(std::function<QSize()> provider) {
  screenSize() = provider ? std::move(provider) : [] { return QSize(800, 600); };
}

void LoadFromStore(TDataObject &o) {
  TXMLStore &store = Store();
  store.SelectItem(o.Id); // without an item every read gives its default
  const Reader r(store);
  const TDateTime now = currentClock().now();
  const TDateTime thisHour = DateOf(now) + OneHour * DecodeTime(now).hour;

  o.parentId = r.str(QStringLiteral("parentId"), QString()).trimmed();
  o.type = r.integer(QStringLiteral("type"), 0);
  o.state = static_cast<TReminderState>(r.integer(QStringLiteral("state"), 0));
  o.createDt = r.dateTime(QStringLiteral("createDt"), now);
  o.lastCloseByUserDt = r.dateTime(QStringLiteral("lastCloseByUserDt"), TDateTime());
  o.lastCloseByUserRemindBeforeDt =
      r.dateTime(QStringLiteral("lastCloseByUserRemindBeforeDt"), TDateTime());
  o.enable = r.boolean(QStringLiteral("enable"), true);
  o.default_ = r.boolean(QStringLiteral("default"), false);
  o.hintEnable = r.boolean(QStringLiteral("hintEnable"), false);
  o.subject =
      r.str(QStringLiteral("subject"), TranslateText(QStringLiteral("New reminder"))).trimmed();
  o.text = withCrLf(r.str(QStringLiteral("text"), QString()));

  o.repeat.type = static_cast<TRepeatType>(r.integer(QStringLiteral("repeat/type"), 2));
  o.repeat.value1 = r.value(QStringLiteral("repeat/value1"), 1, TMeasure::Minute);
  o.repeat.value2 = r.value(QStringLiteral("repeat/value2"), 0, TMeasure::Minute);
  o.repeat.dt = r.dateTime(QStringLiteral("repeat/dt"), now);
  o.repeat.days = r.str(QStringLiteral("repeat/days"), QString());

  o.startBound.type = static_cast<TStartBoundType>(r.integer(QStringLiteral("startBound/type"), 0));
  o.startBound.dt = r.dateTime(QStringLiteral("startBound/dt"), thisHour);

  o.stopBound.enable = r.boolean(QStringLiteral("stopBound/enable"), false);
  o.stopBound.type = static_cast<TStopBoundType>(r.integer(QStringLiteral("stopBound/type"), 0));
  o.stopBound.dt = r.dateTime(QStringLiteral("stopBound/dt"), now);
  o.stopBound.value = r.value(QStringLiteral("stopBound/value"), 1, TMeasure::Hour);

  o.duration.enable = r.boolean(QStringLiteral("duration/enable"), false);
  o.duration.value1 = r.value(QStringLiteral("duration/value1"), 0, TMeasure::Hour);
  o.duration.value2 = r.value(QStringLiteral("duration/value2"), 10, TMeasure::Minute);

  o.remindBefore.enable = r.boolean(QStringLiteral("remindBefore/enable"), false);
  o.remindBefore.value = r.value(QStringLiteral("remindBefore/value"), 10, TMeasure::Minute);

  o.remindAfter.enable = r.boolean(QStringLiteral("remindAfter/enable"), false);
  o.remindAfter.value = r.value(QStringLiteral("remindAfter/value"), 5, TMeasure::Minute);
  o.remindAfter.dtStart = r.dateTime(QStringLiteral("remindAfter/dtStart"), now);
  o.remindAfter.dtStop = r.dateTime(QStringLiteral("remindAfter/dtStop"), TDateTime());
  // A remind-again window that has begun, or has no end, does not survive a reload.
  if (now >= o.remindAfter.dtStart || o.remindAfter.dtStop.ms <= 0) {
    o.remindAfter.enable = false;
    o.remindAfter.dtStart = TDateTime();
    o.remindAfter.dtStop = TDateTime();
  }

  o.tray = r.boolean(QStringLiteral("tray"), false);
  readSticker(r, o.sticker, screenSize()());

  o.mail.enable = r.boolean(QStringLiteral("mail/enable"), false);
  o.mail.to = r.str(QStringLiteral("mail/to"), QString());
  o.mail.from = r.str(QStringLiteral("mail/from"),
                      MainSettings().readString(QStringLiteral("Mail"),
                                                QStringLiteral("DefaultFromAddress"), QString()));
  o.mail.cc = r.str(QStringLiteral("mail/cc"), QString());
  o.mail.bcc = r.str(QStringLiteral("mail/bcc"), QString());
  o.mail.files = r.str(QStringLiteral("mail/files"), QString());

  o.sound.enable = r.boolean(QStringLiteral("sound/enable"), false);
  o.sound.fileName = r.str(QStringLiteral("sound/fileName"), QString());
  o.sound.volume = r.integer(QStringLiteral("sound/volume"), 100);
  o.sound.repeat = r.boolean(QStringLiteral("sound/repeat"), false);

  o.shellExec.enable = r.boolean(QStringLiteral("shellExec/enable"), false);
  o.shellExec.fileName = r.str(QStringLiteral("shellExec/fileName"), QString());
  o.shellExec.params = r.str(QStringLiteral("shellExec/params"), QString());
  o.shellExec.folder = r.str(QStringLiteral("shellExec/folder"), QString());
  o.shellExec.flag = static_cast<TShowFlag>(r.integer(QStringLiteral("shellExec/flag"), 1));
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
  w.str(QStringLiteral("parentId"), o.parentId);
  w.integer(QStringLiteral("type"), o.type);
  w.integer(QStringLiteral("state"), static_cast<int>(o.state));
  w.dateTime(QStringLiteral("createDt"), o.createDt);
  w.dateTime(QStringLiteral("lastCloseByUserDt"), o.lastCloseByUserDt);
  w.dateTime(QStringLiteral("lastCloseByUserRemindBeforeDt"), o.lastCloseByUserRemindBeforeDt);
  w.boolean(QStringLiteral("enable"), o.enable);
  w.boolean(QStringLiteral("default"), o.default_);
  w.boolean(QStringLiteral("hintEnable"), o.hintEnable);
  w.str(QStringLiteral("subject"), o.subject);
  w.str(QStringLiteral("text"), o.text);

  w.integer(QStringLiteral("repeat/type"), static_cast<int>(o.repeat.type));
  w.value(QStringLiteral("repeat/value1"), o.repeat.value1);
  w.value(QStringLiteral("repeat/value2"), o.repeat.value2);
  w.dateTime(QStringLiteral("repeat/dt"), o.repeat.dt);
  w.str(QStringLiteral("repeat/days"), o.repeat.days);
  w.integer(QStringLiteral("startBound/type"), static_cast<int>(o.startBound.type));
  w.dateTime(QStringLiteral("startBound/dt"), o.startBound.dt);
  w.boolean(QStringLiteral("stopBound/enable"), o.stopBound.enable);
  w.integer(QStringLiteral("stopBound/type"), static_cast<int>(o.stopBound.type));
  w.dateTime(QStringLiteral("stopBound/dt"), o.stopBound.dt);
  w.value(QStringLiteral("stopBound/value"), o.stopBound.value);
  w.boolean(QStringLiteral("duration/enable"), o.duration.enable);
  w.value(QStringLiteral("duration/value1"), o.duration.value1);
  w.value(QStringLiteral("duration/value2"), o.duration.value2);
  w.boolean(QStringLiteral("remindBefore/enable"), o.remindBefore.enable);
  w.value(QStringLiteral("remindBefore/value"), o.remindBefore.value);
  w.boolean(QStringLiteral("remindAfter/enable"), o.remindAfter.enable);
  w.value(QStringLiteral("remindAfter/value"), o.remindAfter.value);
  w.dateTime(QStringLiteral("remindAfter/dtStart"), o.remindAfter.dtStart);
  w.dateTime(QStringLiteral("remindAfter/dtStop"), o.remindAfter.dtStop);
  w.boolean(QStringLiteral("tray"), o.tray);
  writeSticker(w, o.sticker);

  w.boolean(QStringLiteral("mail/enable"), o.mail.enable);
  w.str(QStringLiteral("mail/to"), o.mail.to);
  w.str(QStringLiteral("mail/from"), o.mail.from);
  w.str(QStringLiteral("mail/cc"), o.mail.cc);
  w.str(QStringLiteral("mail/bcc"), o.mail.bcc);
  w.str(QStringLiteral("mail/files"), o.mail.files);
  w.boolean(QStringLiteral("sound/enable"), o.sound.enable);
  w.str(QStringLiteral("sound/fileName"), o.sound.fileName);
  w.integer(QStringLiteral("sound/volume"), o.sound.volume);
  w.boolean(QStringLiteral("sound/repeat"), o.sound.repeat);
  w.boolean(QStringLiteral("shellExec/enable"), o.shellExec.enable);
  w.str(QStringLiteral("shellExec/fileName"), o.shellExec.fileName);
  w.str(QStringLiteral("shellExec/params"), o.shellExec.params);
  w.str(QStringLiteral("shellExec/folder"), o.shellExec.folder);
  w.integer(QStringLiteral("shellExec/flag"), static_cast<int>(o.shellExec.flag));
  if (!noFlush)
    store.Flush();
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
    if (result.icon && !keepAllSizes)
      SelectSmallIconImage(*result.icon);
  }
  return result;
}

bool LoadTrayIcon(const TDataObject &o, TTrayIconImage &trayIcon) {
  TXMLStore &store = Store();
  if (!store.SelectItem(o.Id))
    return false;
  store.ReadTrayIcon(QStringLiteral("icon"), &trayIcon);
  if (!trayIcon.Animated && trayIcon.Icon)
    SelectSmallIconImage(*trayIcon.Icon);
  return (trayIcon.Animated && trayIcon.Icons) || trayIcon.Icon;
}
