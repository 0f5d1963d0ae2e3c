// libFuzzer entry: feeds arbitrary bytes to the reminder store as data.xml, reads every reminder
// with every field, its pictures and icons, then imports the same bytes as an exchange file into
// the loaded store (merging and replacing) and into an empty one. Bad data gives defaults or the
// formats' own errors; a crash, a sanitizer report or a hang is a finding.
#include "imaging/PictureClasses.h"
#include "model/DataObjectStore.h"
#include "model/Model.h"
#include "model/XMLStore.h"
#include "platform/Errors.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

QTemporaryDir *folder = nullptr;

void readEveryReminder() {
  QStringList ids;
  Store().GetIds(&ids);
  for (const QString &id : ids) {
    const auto reminder = TDataObject::CreateEmpty(id);
    LoadFromStore(*reminder);
    (void)LoadStickerImages(*reminder);
    (void)LoadIcon(*reminder, true);
    (void)LoadIcon(*reminder, false);
    TTrayIconImage tray;
    (void)LoadTrayIcon(*reminder, tray);
  }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "fuzz_store";
  static char *argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv); // as in the program, pictures may need it
  static QTemporaryDir dir;
  folder = &dir;
  static const TModel model(TModelStart::Empty); // Store() is this model's store
  (void)model;
  RegisterPictureClasses();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QString file = folder->filePath(QStringLiteral("data.xml"));
  {
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
      __builtin_trap();
  }
  try {
    Store().LoadFromFile(file);
    readEveryReminder();
    (void)Store().ImportFromFile(file, false);
    (void)Store().ImportFromFile(file, true);
    readEveryReminder();
    TXMLStore empty;
    (void)empty.ImportFromFile(file, false);
  } catch (const ETolvaneError &) {
    // The store refuses a file it cannot take with its own error.
  }
  return 0;
}
