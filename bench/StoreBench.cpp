// The reminder store with 10,000 reminders, every field set: loading every reminder and saving them
// all, beside what pugixml alone takes to parse and walk the same file.
#include "model/DataObjectStore.h"
#include "model/Model.h"
#include "model/XMLStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <pugixml.hpp>

namespace {

constexpr int ReminderCount = 10'000;

void fill(TDataObject &o, int i) {
  o.parentId = QStringLiteral("{%1}").arg(i);
  o.type = i % 3;
  o.enable = i % 2 == 0;
  o.subject = QStringLiteral("Reminder number %1 with a subject").arg(i);
  o.text = QStringLiteral("First line of reminder %1\r\nSecond line\r\nThird line").arg(i);
  o.repeat = {static_cast<TRepeatType>(i % 7),
              {1 + i % 5, TMeasure::Day},
              {i % 60, TMeasure::Minute},
              EncodeDateTime(2024, 1 + i % 12, 1 + i % 28, i % 24, i % 60, 0, 0),
              QStringLiteral("(1)(3)(5)")};
  o.startBound = {TStartBoundType::AfterDefinedDateTime, EncodeDate(2024, 1, 1)};
  o.stopBound = {
      true, TStopBoundType::UntilDefinedDateTime, EncodeDate(2030, 1, 1), {2, TMeasure::Hour}};
  o.duration = {true, {1, TMeasure::Hour}, {30, TMeasure::Minute}};
  o.remindBefore = {true, {10, TMeasure::Minute}};
  o.remindAfter = {false, {5, TMeasure::Minute}, TDateTime(), TDateTime()};
  o.tray = true;
  o.sticker.enable = true;
  o.sticker.opacity = i % 100;
  for (TStickerTextRec *t : {&o.sticker.subject, &o.sticker.text, &o.sticker.date, &o.sticker.time})
    *t = {true,
          {QStringLiteral("DejaVu Sans"), 1, 0x00336699, 10, 1},
          TStickerTextAlignment::Centre,
          {1, 2, 3, 4, false}};
  o.sticker.position = {100 + i % 500, 100 + i % 300, 200, 150, false};
  o.sticker.background = {false, 0x00E1FFFF};
  o.sticker.frame = {true, TStickerFrameStyle::Solid, 0};
  o.mail = {true, QStringLiteral("someone@example.org"), QStringLiteral("me@example.org"), {},
            {},   QStringLiteral("/home/me/a.txt")};
  o.sound = {true, 80, QStringLiteral("/usr/share/sounds/bell.ogg"), false};
  o.shellExec = {true, QStringLiteral("/usr/bin/true"), QStringLiteral("--flag"),
                 QStringLiteral("/tmp"), TShowFlag::Normal};
}

// The store file, written once for all benchmarks.
const QString &storeFile() {
  static QTemporaryDir dir;
  static const QString path = [] {
    const QString p = dir.path() + QStringLiteral("/data.xml");
    const TModel model(TModelStart::Empty);
    for (int i = 0; i < ReminderCount; ++i) {
      TDataObject o(NewReminderId);
      fill(o, i);
      SaveToStore(o, true);
    }
    (void)Store().SaveToFile(p);
    return p;
  }();
  return path;
}

QByteArray readFile(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// pugixml alone: read the file, parse it as the store does, and visit every node's text.
static void BM_BareParseAndWalk(benchmark::State &state) {
  const QString path = storeFile();
  for (auto _ : state) {
    const QByteArray data = readFile(path);
    pugi::xml_document doc;
    QByteArray bytes = data;
    doc.load_buffer_inplace(bytes.data(), size_t(bytes.size()),
                            pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata);
    size_t chars = 0;
    for (pugi::xml_node item : doc.document_element().children())
      for (pugi::xml_node n = item.first_child(); n;) {
        chars += std::strlen(n.value());
        if (n.first_child())
          n = n.first_child();
        else {
          while (n != item && !n.next_sibling())
            n = n.parent();
          n = n == item ? pugi::xml_node() : n.next_sibling();
        }
      }
    benchmark::DoNotOptimize(chars);
  }
  state.SetItemsProcessed(state.iterations() * ReminderCount);
}
BENCHMARK(BM_BareParseAndWalk)->Unit(benchmark::kMillisecond);

// The store: load the file and read every reminder with every field.
static void BM_StoreLoad(benchmark::State &state) {
  const QString path = storeFile();
  const TModel model(TModelStart::Empty);
  for (auto _ : state) {
    Store().LoadFromFile(path);
    QStringList ids;
    Store().GetIds(&ids);
    std::vector<std::unique_ptr<TDataObject>> reminders;
    reminders.reserve(size_t(ids.size()));
    for (const QString &id : ids) {
      reminders.push_back(TDataObject::CreateEmpty(id));
      LoadFromStore(*reminders.back());
    }
    benchmark::DoNotOptimize(reminders.data());
  }
  state.SetItemsProcessed(state.iterations() * ReminderCount);
}
BENCHMARK(BM_StoreLoad)->Unit(benchmark::kMillisecond);

// The store: write every field of every reminder into the document and save the file.
static void BM_StoreSave(benchmark::State &state) {
  const TModel model(TModelStart::Empty);
  Store().LoadFromFile(storeFile());
  QStringList ids;
  Store().GetIds(&ids);
  std::vector<std::unique_ptr<TDataObject>> reminders;
  for (const QString &id : ids) {
    reminders.push_back(TDataObject::CreateEmpty(id));
    LoadFromStore(*reminders.back());
  }
  QTemporaryDir dir;
  const QString target = dir.path() + QStringLiteral("/saved.xml");
  for (auto _ : state) {
    for (auto &r : reminders)
      SaveToStore(*r, true);
    benchmark::DoNotOptimize(Store().SaveToFile(target));
  }
  state.SetItemsProcessed(state.iterations() * ReminderCount);
}
BENCHMARK(BM_StoreSave)->Unit(benchmark::kMillisecond);
