#include "model/DataObjectStore.h"

#include "imaging/Color.h"
#include "imaging/Icon.h"
#include "imaging/SmallIconImage.h"
#include "model/LanguageTable.h"
#include "model/Model.h"
#include "model/Settings.h"
#include "model/XMLStore.h"
#include "model/XmlEncoding.h"
#include "model/XmlFieldSet.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "services/UserIdentity.h"

#include <QDebug>

namespace {

QString path(const QString &prefix, const char *name) {
  return prefix + u'/' + QLatin1String(name);
}

// A value path of an item, parsed once, with its place among the elements that one walk over an
// item finds: a store of many reminders reads the same paths again and again.
struct Field {
  Field(TXmlFieldSet &set, const QString &text) : path(text), place(set.add(path)) {}
  TXmlPath path;
  size_t place;
};

// The paths of the compound values.
struct ValuePaths {
  ValuePaths(TXmlFieldSet &set, const QString &p)
      : value(set, path(p, "value")), measure(set, path(p, "measure")) {}
  Field value, measure;
};

struct PositionPaths {
  PositionPaths(TXmlFieldSet &set, const QString &p)
      : left(set, path(p, "left")), top(set, path(p, "top")), width(set, path(p, "width")),
        height(set, path(p, "height")), autoSize(set, path(p, "autoSize")) {}
  Field left, top, width, height, autoSize;
};

constexpr std::pair<const char *, int> FontStyles[] = {{"styleBold", FontStyleBold},
                                                       {"styleItalic", FontStyleItalic},
                                                       {"styleUnderline", FontStyleUnderline},
                                                       {"styleStrikeout", FontStyleStrikeout}};

struct FontPaths {
  FontPaths(TXmlFieldSet &set, const QString &p)
      : name(set, path(p, "name")),
        color(set, path(p, "color")), styles{Field(set, path(p, FontStyles[0].first)),
                                             Field(set, path(p, FontStyles[1].first)),
                                             Field(set, path(p, FontStyles[2].first)),
                                             Field(set, path(p, FontStyles[3].first))},
        size(set, path(p, "size")), charset(set, path(p, "charset")) {}
  Field name, color, styles[4], size, charset;
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
  BlockPaths(TXmlFieldSet &set, const QString &p)
      : enable(set, path(p, "enable")), alignment(set, path(p, "alignment")),
        font(set, path(p, "font")), position(set, path(p, "position")) {}
  Field enable, alignment;
  FontPaths font;
  PositionPaths position;
};

struct ImagePaths {
  ImagePaths(TXmlFieldSet &set, const QString &p)
      : enable(set, path(p, "enable")), transparent(set, path(p, "transparent")),
        position(set, path(p, "position")) {}
  Field enable, transparent;
  PositionPaths position;
};

// Every value of an item, in the order they are written (which the walk over an item's elements
// expects first).
struct ItemPaths {
  TXmlFieldSet set; // first: every path below adds itself to it
  Field parentId{set, QStringLiteral("parentId")};
  Field type{set, QStringLiteral("type")};
  Field state{set, QStringLiteral("state")};
  Field createDt{set, QStringLiteral("createDt")};
  Field lastCloseByUserDt{set, QStringLiteral("lastCloseByUserDt")};
  Field lastCloseByUserRemindBeforeDt{set, QStringLiteral("lastCloseByUserRemindBeforeDt")};
  Field lastRunDueDt{set, QStringLiteral("lastRunDueDt")};
  Field warnedRunDt{set, QStringLiteral("warnedRunDt")};
  Field lastRunClosedDt{set, QStringLiteral("lastRunClosedDt")};
  Field enable{set, QStringLiteral("enable")};
  Field default_{set, QStringLiteral("default")};
  Field hintEnable{set, QStringLiteral("hintEnable")};
  Field subject{set, QStringLiteral("subject")};
  Field text{set, QStringLiteral("text")};

  Field repeatType{set, QStringLiteral("repeat/type")};
  ValuePaths repeatValue1{set, QStringLiteral("repeat/value1")};
  ValuePaths repeatValue2{set, QStringLiteral("repeat/value2")};
  Field repeatDt{set, QStringLiteral("repeat/dt")};
  Field repeatDays{set, QStringLiteral("repeat/days")};
  Field startBoundType{set, QStringLiteral("startBound/type")};
  Field startBoundDt{set, QStringLiteral("startBound/dt")};
  Field stopBoundEnable{set, QStringLiteral("stopBound/enable")};
  Field stopBoundType{set, QStringLiteral("stopBound/type")};
  Field stopBoundDt{set, QStringLiteral("stopBound/dt")};
  ValuePaths stopBoundValue{set, QStringLiteral("stopBound/value")};
  Field durationEnable{set, QStringLiteral("duration/enable")};
  ValuePaths durationValue1{set, QStringLiteral("duration/value1")};
  ValuePaths durationValue2{set, QStringLiteral("duration/value2")};
  Field remindBeforeEnable{set, QStringLiteral("remindBefore/enable")};
  ValuePaths remindBeforeValue{set, QStringLiteral("remindBefore/value")};
  Field remindAfterEnable{set, QStringLiteral("remindAfter/enable")};
  ValuePaths remindAfterValue{set, QStringLiteral("remindAfter/value")};
  Field remindAfterDtStart{set, QStringLiteral("remindAfter/dtStart")};
  Field remindAfterDtStop{set, QStringLiteral("remindAfter/dtStop")};
  Field tray{set, QStringLiteral("tray")};

  Field stickerEnable{set, QStringLiteral("sticker/enable")};
  Field textAsHintEnable{set, QStringLiteral("sticker/textAsHintEnable")};
  Field subjectAsHintEnable{set, QStringLiteral("sticker/subjectAsHintEnable")};
  Field onTop{set, QStringLiteral("sticker/onTop")};
  Field opacity{set, QStringLiteral("sticker/opacity")};
  BlockPaths blocks[4] = {BlockPaths(set, QStringLiteral("sticker/text")),
                          BlockPaths(set, QStringLiteral("sticker/subject")),
                          BlockPaths(set, QStringLiteral("sticker/time")),
                          BlockPaths(set, QStringLiteral("sticker/date"))};
  PositionPaths stickerPosition{set, QStringLiteral("sticker/position")};
  Field backgroundTransparent{set, QStringLiteral("sticker/background/transparent")};
  Field backgroundColor{set, QStringLiteral("sticker/background/color")};
  Field frameEnable{set, QStringLiteral("sticker/frame/enable")};
  Field frameColor{set, QStringLiteral("sticker/frame/color")};
  Field frameStyle{set, QStringLiteral("sticker/frame/style")};
  ImagePaths image{set, QStringLiteral("sticker/image")};
  ImagePaths movingImage{set, QStringLiteral("sticker/movingImage")};

  Field mailEnable{set, QStringLiteral("mail/enable")};
  Field mailTo{set, QStringLiteral("mail/to")};
  Field mailFrom{set, QStringLiteral("mail/from")};
  Field mailCc{set, QStringLiteral("mail/cc")};
  Field mailBcc{set, QStringLiteral("mail/bcc")};
  Field mailFiles{set, QStringLiteral("mail/files")};
  Field soundEnable{set, QStringLiteral("sound/enable")};
  Field soundFileName{set, QStringLiteral("sound/fileName")};
  Field soundVolume{set, QStringLiteral("sound/volume")};
  Field soundRepeat{set, QStringLiteral("sound/repeat")};
  Field shellExecEnable{set, QStringLiteral("shellExec/enable")};
  Field shellExecFileName{set, QStringLiteral("shellExec/fileName")};
  Field shellExecParams{set, QStringLiteral("shellExec/params")};
  Field shellExecFolder{set, QStringLiteral("shellExec/folder")};
  Field shellExecFlag{set, QStringLiteral("shellExec/flag")};
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

// Typed reads of the elements one walk over an item found, in which a value that does not
// convert gives the default.
class Reader {
public:
  explicit Reader(const std::vector<pugi::xml_node> &found) : nodes(found) {}

  QString str(const Field &f, const QString &def) const {
    return TMSXMLObject::TextOf(nodes[f.place], def);
  }
  bool boolean(const Field &f, bool def) const { return TMSXMLObject::BoolOf(nodes[f.place], def); }
  TDateTime dateTime(const Field &f, TDateTime def) const {
    return TMSXMLObject::DateTimeOf(nodes[f.place], def);
  }
  int integer(const Field &f, int def) const {
    try {
      return TMSXMLObject::IntegerOf(nodes[f.place], def);
    } catch (const EConvertError &) {
      return def;
    }
  }
  // A missing, empty or unknown colour gives the default.
  int32_t color(const Field &f, TColor def) const {
    const QString text = str(f, QString());
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
  const std::vector<pugi::xml_node> &nodes;
};

class Writer {
public:
  explicit Writer(TXMLStore &store) : s(store) {}

  void str(const Field &f, const QString &v) { s.WriteString(f.path, v); }
  void boolean(const Field &f, bool v) { s.WriteBool(f.path, v); }
  void integer(const Field &f, int v) { s.WriteInteger(f.path, v); }
  void dateTime(const Field &f, TDateTime v) { s.WriteDateTime(f.path, v); }
  void color(const Field &f, int32_t v) {
    s.WriteString(f.path, ColorToString(static_cast<TColor>(v)));
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
  st.enable = r.boolean(ps.stickerEnable, true);
  st.textAsHintEnable = r.boolean(ps.textAsHintEnable, true);
  st.subjectAsHintEnable = r.boolean(ps.subjectAsHintEnable, true);
  st.onTop = r.boolean(ps.onTop, true);
  st.opacity = r.integer(ps.opacity, 0);
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
  st.background.transparent = r.boolean(ps.backgroundTransparent, false);
  st.background.color = r.color(ps.backgroundColor, clInfoBk);
  st.frame.enable = r.boolean(ps.frameEnable, false);
  st.frame.color = r.color(ps.frameColor, clBlack);
  st.frame.style = static_cast<TStickerFrameStyle>(r.integer(ps.frameStyle, 0));
  for (auto [ip, image] : {std::pair{&ps.image, &st.image}, {&ps.movingImage, &st.movingImage}}) {
    image->enable = r.boolean(ip->enable, false);
    image->transparent = r.boolean(ip->transparent, true);
    image->position = r.position(ip->position, 0, 0, 0, 0);
  }
}

void writeSticker(Writer &w, const TStickerRec &st) {
  const ItemPaths &ps = paths();
  w.boolean(ps.stickerEnable, st.enable);
  w.boolean(ps.textAsHintEnable, st.textAsHintEnable);
  w.boolean(ps.subjectAsHintEnable, st.subjectAsHintEnable);
  w.boolean(ps.onTop, st.onTop);
  w.integer(ps.opacity, st.opacity);
  for (int i = 0; i < 4; ++i) {
    const BlockPaths &bp = ps.blocks[i];
    const TStickerTextRec &t = st.*TextBlocks[i].field;
    w.boolean(bp.enable, t.enable);
    w.integer(bp.alignment, static_cast<int>(t.alignment));
    w.font(bp.font, t.font);
    w.position(bp.position, t.position);
  }
  w.position(ps.stickerPosition, st.position);
  w.boolean(ps.backgroundTransparent, st.background.transparent);
  w.color(ps.backgroundColor, st.background.color);
  w.boolean(ps.frameEnable, st.frame.enable);
  w.color(ps.frameColor, st.frame.color);
  w.integer(ps.frameStyle, static_cast<int>(st.frame.style));
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

void LoadFromStore(TDataObject &reminder) { LoadFromStore(TModel::Current(), reminder); }

void LoadFromStore(TModel &model, TDataObject &o) {
  TXMLStore &store = model.Store();
  store.SelectItem(o.Id); // without an item every read gives its default
  const ItemPaths &ps = paths();
  // One walk over the item's elements finds every value; each is then converted.
  std::vector<pugi::xml_node> found;
  ps.set.find(store.CurrentItem(), found);
  const Reader r(found);
  const TDateTime now = currentClock().now();
  const TDateTime thisHour = DateOf(now) + OneHour * DecodeTime(now).hour;

  o.parentId = r.str(ps.parentId, QString()).trimmed();
  o.type = r.integer(ps.type, 0);
  o.state = static_cast<TReminderState>(r.integer(ps.state, 0));
  o.createDt = r.dateTime(ps.createDt, now);
  o.lastCloseByUserDt = r.dateTime(ps.lastCloseByUserDt, TDateTime());
  o.lastCloseByUserRemindBeforeDt = r.dateTime(ps.lastCloseByUserRemindBeforeDt, TDateTime());
  // Files from before firings were remembered lack the element: nothing has fired then.
  o.LastRunDue = r.dateTime(ps.lastRunDueDt, TDateTime());
  // Files from before warnings were remembered lack the element: none was. Those from before
  // closes were remembered say nothing of the last firing's close: it is taken as closed, so
  // that nothing they hold comes back as a firing under way.
  o.WarnedRun = r.dateTime(ps.warnedRunDt, TDateTime());
  o.LastRunClosed = r.dateTime(ps.lastRunClosedDt, o.LastRunDue);
  o.enable = r.boolean(ps.enable, true);
  o.default_ = r.boolean(ps.default_, false);
  o.hintEnable = r.boolean(ps.hintEnable, false);
  o.subject = r.str(ps.subject, TranslateText(QStringLiteral("New reminder"))).trimmed();
  o.text = withCrLf(r.str(ps.text, QString()));

  o.repeat.type = static_cast<TRepeatType>(r.integer(ps.repeatType, 2));
  o.repeat.value1 = r.value(ps.repeatValue1, 1, TMeasure::Minute);
  o.repeat.value2 = r.value(ps.repeatValue2, 0, TMeasure::Minute);
  o.repeat.dt = r.dateTime(ps.repeatDt, now);
  o.repeat.days = r.str(ps.repeatDays, QString());

  o.startBound.type = static_cast<TStartBoundType>(r.integer(ps.startBoundType, 0));
  o.startBound.dt = r.dateTime(ps.startBoundDt, thisHour);

  o.stopBound.enable = r.boolean(ps.stopBoundEnable, false);
  o.stopBound.type = static_cast<TStopBoundType>(r.integer(ps.stopBoundType, 0));
  o.stopBound.dt = r.dateTime(ps.stopBoundDt, now);
  o.stopBound.value = r.value(ps.stopBoundValue, 1, TMeasure::Hour);

  o.duration.enable = r.boolean(ps.durationEnable, false);
  o.duration.value1 = r.value(ps.durationValue1, 0, TMeasure::Hour);
  o.duration.value2 = r.value(ps.durationValue2, 10, TMeasure::Minute);

  o.remindBefore.enable = r.boolean(ps.remindBeforeEnable, false);
  o.remindBefore.value = r.value(ps.remindBeforeValue, 10, TMeasure::Minute);

  o.remindAfter.enable = r.boolean(ps.remindAfterEnable, false);
  o.remindAfter.value = r.value(ps.remindAfterValue, 5, TMeasure::Minute);
  o.remindAfter.dtStart = r.dateTime(ps.remindAfterDtStart, now);
  o.remindAfter.dtStop = r.dateTime(ps.remindAfterDtStop, TDateTime());
  // A remind-again window that has begun, or has no end, does not survive a reload.
  if (now >= o.remindAfter.dtStart || o.remindAfter.dtStop.ms <= 0) {
    o.remindAfter.enable = false;
    o.remindAfter.dtStart = TDateTime();
    o.remindAfter.dtStop = TDateTime();
  }

  o.tray = r.boolean(ps.tray, false);
  readSticker(r, o.sticker);

  o.mail.enable = r.boolean(ps.mailEnable, false);
  o.mail.to = r.str(ps.mailTo, QString());
  o.mail.from = r.str(ps.mailFrom,
                      model.MainSettings().readString(
                          QStringLiteral("Mail"), QStringLiteral("DefaultFromAddress"), QString()));
  o.mail.cc = r.str(ps.mailCc, QString());
  o.mail.bcc = r.str(ps.mailBcc, QString());
  o.mail.files = r.str(ps.mailFiles, QString());

  o.sound.enable = r.boolean(ps.soundEnable, false);
  o.sound.fileName = r.str(ps.soundFileName, QString());
  o.sound.volume = r.integer(ps.soundVolume, 100);
  o.sound.repeat = r.boolean(ps.soundRepeat, false);

  o.shellExec.enable = r.boolean(ps.shellExecEnable, false);
  o.shellExec.fileName = r.str(ps.shellExecFileName, QString());
  o.shellExec.params = r.str(ps.shellExecParams, QString());
  o.shellExec.folder = r.str(ps.shellExecFolder, QString());
  o.shellExec.flag = static_cast<TShowFlag>(r.integer(ps.shellExecFlag, 1));
}

void AssignNewId(TDataObject &reminder) { AssignNewId(TModel::Current(), reminder); }

void AssignNewId(TModel &model, TDataObject &o) {
  if (o.Id != NewReminderId)
    return;
  o.Id = model.Store().AddNewItem(GetLoginUserName());
  o.createDt = currentClock().now();
}

void SaveToStore(TDataObject &reminder, bool noFlush) {
  SaveToStore(TModel::Current(), reminder, noFlush);
}

void SaveToStore(TModel &model, TDataObject &o, bool noFlush) {
  AssignNewId(model, o);
  TXMLStore &store = model.Store();
  if (!store.SelectItem(o.Id))
    return;
  const ItemPaths &ps = paths();
  Writer w(store);
  w.str(ps.parentId, o.parentId);
  w.integer(ps.type, o.type);
  w.integer(ps.state, static_cast<int>(o.state));
  w.dateTime(ps.createDt, o.createDt);
  w.dateTime(ps.lastCloseByUserDt, o.lastCloseByUserDt);
  w.dateTime(ps.lastCloseByUserRemindBeforeDt, o.lastCloseByUserRemindBeforeDt);
  // The run that fired last, so that a restart inside its window does not fire it again (and
  // send its mail and start its program twice). Written only once something fired.
  if (o.LastRunDue.isSet())
    w.dateTime(ps.lastRunDueDt, o.LastRunDue);
  // The run last warned of, so that a restart inside the warning does not show it again, and the
  // run that last closed, so that a restart inside a firing brings it back.
  if (o.WarnedRun.isSet())
    w.dateTime(ps.warnedRunDt, o.WarnedRun);
  if (o.LastRunDue.isSet() || o.LastRunClosed.isSet())
    w.dateTime(ps.lastRunClosedDt, o.LastRunClosed);
  w.boolean(ps.enable, o.enable);
  w.boolean(ps.default_, o.default_);
  w.boolean(ps.hintEnable, o.hintEnable);
  w.str(ps.subject, o.subject);
  w.str(ps.text, o.text);

  w.integer(ps.repeatType, static_cast<int>(o.repeat.type));
  w.value(ps.repeatValue1, o.repeat.value1);
  w.value(ps.repeatValue2, o.repeat.value2);
  w.dateTime(ps.repeatDt, o.repeat.dt);
  w.str(ps.repeatDays, o.repeat.days);
  w.integer(ps.startBoundType, static_cast<int>(o.startBound.type));
  w.dateTime(ps.startBoundDt, o.startBound.dt);
  w.boolean(ps.stopBoundEnable, o.stopBound.enable);
  w.integer(ps.stopBoundType, static_cast<int>(o.stopBound.type));
  w.dateTime(ps.stopBoundDt, o.stopBound.dt);
  w.value(ps.stopBoundValue, o.stopBound.value);
  w.boolean(ps.durationEnable, o.duration.enable);
  w.value(ps.durationValue1, o.duration.value1);
  w.value(ps.durationValue2, o.duration.value2);
  w.boolean(ps.remindBeforeEnable, o.remindBefore.enable);
  w.value(ps.remindBeforeValue, o.remindBefore.value);
  w.boolean(ps.remindAfterEnable, o.remindAfter.enable);
  w.value(ps.remindAfterValue, o.remindAfter.value);
  w.dateTime(ps.remindAfterDtStart, o.remindAfter.dtStart);
  w.dateTime(ps.remindAfterDtStop, o.remindAfter.dtStop);
  w.boolean(ps.tray, o.tray);
  writeSticker(w, o.sticker);

  w.boolean(ps.mailEnable, o.mail.enable);
  w.str(ps.mailTo, o.mail.to);
  w.str(ps.mailFrom, o.mail.from);
  w.str(ps.mailCc, o.mail.cc);
  w.str(ps.mailBcc, o.mail.bcc);
  w.str(ps.mailFiles, o.mail.files);
  w.boolean(ps.soundEnable, o.sound.enable);
  w.str(ps.soundFileName, o.sound.fileName);
  w.integer(ps.soundVolume, o.sound.volume);
  w.boolean(ps.soundRepeat, o.sound.repeat);
  w.boolean(ps.shellExecEnable, o.shellExec.enable);
  w.str(ps.shellExecFileName, o.shellExec.fileName);
  w.str(ps.shellExecParams, o.shellExec.params);
  w.str(ps.shellExecFolder, o.shellExec.folder);
  w.integer(ps.shellExecFlag, static_cast<int>(o.shellExec.flag));
  if (!noFlush)
    store.Flush();
}

bool RecordFiring(TModel &model, TDataObject &o) {
  SaveToStore(model, o, true);
  const ItemPaths &ps = paths();
  std::vector<std::pair<QString, QString>> values;
  const auto add = [&](const Field &f, const QString &text) {
    values.emplace_back(f.path.toString(), text);
  };
  const auto addDate = [&](const Field &f, TDateTime t) { add(f, FormatXmlDateTime(t)); };
  const auto addBool = [&](const Field &f, bool b) {
    add(f, b ? QStringLiteral("true") : QStringLiteral("false"));
  };
  addBool(ps.enable, o.enable);
  addDate(ps.lastCloseByUserDt, o.lastCloseByUserDt);
  addDate(ps.lastCloseByUserRemindBeforeDt, o.lastCloseByUserRemindBeforeDt);
  if (o.LastRunDue.isSet()) {
    addDate(ps.lastRunDueDt, o.LastRunDue);
    addDate(ps.lastRunClosedDt, o.LastRunClosed);
  }
  if (o.WarnedRun.isSet())
    addDate(ps.warnedRunDt, o.WarnedRun);
  addBool(ps.remindAfterEnable, o.remindAfter.enable);
  add(ps.remindAfterValue.value, QString::number(o.remindAfter.value.value));
  add(ps.remindAfterValue.measure, QString::number(static_cast<int>(o.remindAfter.value.measure)));
  addDate(ps.remindAfterDtStart, o.remindAfter.dtStart);
  addDate(ps.remindAfterDtStop, o.remindAfter.dtStop);
  TXMLStore &store = model.Store();
  return store.SelectItem(o.Id) && store.AppendToJournal(o.Id, std::move(values));
}

void SaveStickerPosition(const TDataObject &reminder) {
  SaveStickerPosition(TModel::Current(), reminder);
}

void SaveStickerPosition(TModel &model, const TDataObject &o) {
  TXMLStore &store = model.Store();
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

void InstallStoreLoader() {
  SetDataObjectLoader([](TModel &model, TDataObject &reminder) { LoadFromStore(model, reminder); });
}

// --- Pictures ---------------------------------------------------------------------------------

TStickerImages LoadStickerImages(const TDataObject &reminder) {
  return LoadStickerImages(TModel::Current(), reminder);
}

TStickerImages LoadStickerImages(TModel &model, const TDataObject &o) {
  TStickerImages images;
  TXMLStore &store = model.Store();
  if (!store.SelectItem(o.Id))
    return images;
  images.movingImage = readPicture(store, QStringLiteral("sticker/movingImage/graphics"));
  if (images.movingImage && images.movingImage->className() != QLatin1String("GIFImage"))
    images.movingImage.reset();
  images.image = readPicture(store, QStringLiteral("sticker/image/graphics"));
  return images;
}

void SaveStickerImages(const TDataObject &reminder, const TGraphic *movingImage,
                       const TGraphic *image) {
  SaveStickerImages(TModel::Current(), reminder, movingImage, image);
}

void SaveStickerImages(TModel &model, const TDataObject &o, const TGraphic *movingImage,
                       const TGraphic *image) {
  TXMLStore &store = model.Store();
  if (!store.SelectItem(o.Id))
    return;
  store.WriteGraphic(QStringLiteral("sticker/movingImage/graphics"), movingImage);
  store.WriteGraphic(QStringLiteral("sticker/image/graphics"), image);
}

void SaveIcon(const TDataObject &reminder, const TGraphic *iconFrames, const TGraphic *icon) {
  SaveIcon(TModel::Current(), reminder, iconFrames, icon);
}

void SaveIcon(TModel &model, const TDataObject &o, const TGraphic *iconFrames,
              const TGraphic *icon) {
  TXMLStore &store = model.Store();
  if (!store.SelectItem(o.Id))
    return;
  if (iconFrames && !iconFrames->empty())
    store.WriteIconList(QStringLiteral("icon"), iconFrames);
  else
    store.WriteGraphic(QStringLiteral("icon"), icon);
}

TIconImages LoadIcon(const TDataObject &reminder, bool keepAllSizes) {
  return LoadIcon(TModel::Current(), reminder, keepAllSizes);
}

TIconImages LoadIcon(TModel &model, const TDataObject &o, bool keepAllSizes) {
  TIconImages result;
  TXMLStore &store = model.Store();
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

bool LoadTrayIcon(const TDataObject &reminder, TTrayIconImage &trayIcon) {
  return LoadTrayIcon(TModel::Current(), reminder, trayIcon);
}

bool LoadTrayIcon(TModel &model, const TDataObject &o, TTrayIconImage &trayIcon) {
  TXMLStore &store = model.Store();
  if (!store.SelectItem(o.Id))
    return false;
  store.ReadTrayIcon(QStringLiteral("icon"), &trayIcon);
  if (!trayIcon.Animated)
    reduceIcon(trayIcon.Icon.get());
  return (trayIcon.Animated && trayIcon.Icons) || trayIcon.Icon;
}
