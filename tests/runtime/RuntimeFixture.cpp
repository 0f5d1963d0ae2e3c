#include "RuntimeFixture.h"

#include "model/DataObjectStore.h"
#include "model/LogFile.h"
#include "model/Model.h"
#include "model/Paths.h"
#include "model/ReminderList.h"
#include "model/UserData.h"
#include "services/MailComposer.h"
#include "tests/support/Sandbox.h"

#include <QFile>

#include <algorithm>

namespace runtimetest {

// --- ModelReminders ---

TDataObject &ModelReminders::add(std::unique_ptr<TDataObject> reminder) {
  m_model.Store().AddItem(reminder->Id, QString());
  SaveToStore(m_model, *reminder, true);
  TDataObject &added = *reminder;
  m_model.Reminders().Append(std::move(reminder));
  return added;
}

void ModelReminders::remove(int32_t number) {
  TReminderList &list = m_model.Reminders();
  list.Take(list.IndexOf(list.FindByNumber(number))).reset();
}

TDataObject &ModelReminders::reread(int32_t number) {
  TDataObject *old = FindByNumber(number);
  SaveToStore(m_model, *old, true);
  RefreshReminder(m_model, old);
  return *FindByNumber(number);
}

void ModelReminders::reload() {
  TReminderList &list = m_model.Reminders();
  for (const int32_t number : list.Numbers())
    SaveToStore(m_model, *list.FindByNumber(number), true);
  ReloadReminders(m_model);
}

void ModelReminders::clear() { m_model.Reminders().Clear(); }

std::vector<int32_t> ModelReminders::Numbers() const { return m_model.Reminders().Numbers(); }

TDataObject *ModelReminders::FindByNumber(int32_t number) const {
  return m_model.Reminders().FindByNumber(number);
}

TDataObject *ModelReminders::FindById(const QString &id) const {
  return m_model.Reminders().FindById(id);
}

// --- FakeOutputs ---

namespace {

class FakeSticker final : public IStickerView {
public:
  FakeSticker(std::shared_ptr<OutputRecord> record, QStringList &releases)
      : m_record(std::move(record)), m_releases(releases) {}
  void close() override {
    m_record->released = true;
    m_releases << QStringLiteral("sticker %1").arg(m_record->number);
  }

private:
  std::shared_ptr<OutputRecord> m_record;
  QStringList &m_releases;
};

class FakeTrayIcon final : public ITrayIconView {
public:
  FakeTrayIcon(std::shared_ptr<OutputRecord> record, QStringList &releases)
      : m_record(std::move(record)), m_releases(releases) {}
  void deactivate() override {
    m_record->released = true;
    m_releases << QStringLiteral("tray %1").arg(m_record->number);
  }

private:
  std::shared_ptr<OutputRecord> m_record;
  QStringList &m_releases;
};

class FakeSound final : public ISoundPlayer {
public:
  FakeSound(std::shared_ptr<OutputRecord> record, FakeOutputs &owner)
      : m_record(std::move(record)), m_owner(owner) {}
  ~FakeSound() override {
    m_record->released = true;
    m_owner.releases << QStringLiteral("sound");
  }

  void PlayFile(const QString &fileName, int volume, WindowHandle notify) override {
    m_record->file = fileName;
    m_record->volume = volume;
    m_record->notify = notify;
    if (m_owner.failingOpens > 0) {
      --m_owner.failingOpens;
      throw EMCIDeviceError(QStringLiteral("Can not open audio device!"));
    }
    static quint16 lastDevice = 0;
    m_record->device = ++lastDevice;
    ++m_record->plays;
  }
  int Rewind() override {
    ++m_record->rewinds;
    return 0;
  }
  int Play(WindowHandle notify) override {
    m_record->notify = notify;
    ++m_record->plays;
    return m_owner.replayResult;
  }
  int SetVolume(int volume) override {
    m_record->volume = volume;
    return 0;
  }
  [[nodiscard]] int GetVolume() const override { return m_record->volume; }
  [[nodiscard]] quint16 DeviceId() const override { return m_record->device; }

private:
  std::shared_ptr<OutputRecord> m_record;
  FakeOutputs &m_owner;
};

std::shared_ptr<OutputRecord> recordFor(int32_t number) {
  auto record = std::make_shared<OutputRecord>();
  record->number = number;
  return record;
}

int liveOf(const std::vector<std::shared_ptr<OutputRecord>> &records, int32_t number) {
  return static_cast<int>(std::count_if(records.begin(), records.end(), [&](const auto &r) {
    return !r->released && (number == 0 || r->number == number);
  }));
}

} // namespace

std::unique_ptr<IStickerView> FakeOutputs::CreateSticker(const TReminderLookup &reminder,
                                                         const TFiringState &) {
  stickers.push_back(recordFor(reminder()->Number));
  stickerLookups.push_back(reminder);
  return std::make_unique<FakeSticker>(stickers.back(), releases);
}

std::unique_ptr<ITrayIconView> FakeOutputs::CreateTrayIcon(const TReminderLookup &reminder,
                                                           const TFiringState &) {
  trayIcons.push_back(recordFor(reminder()->Number));
  auto icon = std::make_unique<FakeTrayIcon>(trayIcons.back(), releases);
  trayViews.push_back(icon.get());
  return icon;
}

std::unique_ptr<ISoundPlayer> FakeOutputs::CreateSoundPlayer() {
  sounds.push_back(std::make_shared<OutputRecord>());
  return std::make_unique<FakeSound>(sounds.back(), *this);
}

void FakeOutputs::RaiseSticker(IStickerView &sticker) { raised.push_back(&sticker); }

int FakeOutputs::liveStickers(int32_t number) const { return liveOf(stickers, number); }
int FakeOutputs::liveTrayIcons(int32_t number) const { return liveOf(trayIcons, number); }
int FakeOutputs::liveSounds() const { return liveOf(sounds, 0); }

const ITrayIconView *FakeOutputs::trayIconOf(int32_t number) const {
  for (size_t i = 0; i < trayIcons.size(); ++i)
    if (trayIcons[i]->number == number && !trayIcons[i]->released)
      return trayViews[i];
  return nullptr;
}

// --- RecordingWindow, RecordingMailer, RecordingLauncher ---

int RecordingWindow::count(uint message, uintptr_t wParam) const {
  return static_cast<int>(std::count_if(got.begin(), got.end(), [&](const Message &m) {
    return m.message == message && m.wParam == wParam;
  }));
}

bool RecordingWindow::event(QEvent *e) {
  const HubEvent *h = HubEvent::cast(e);
  if (!h)
    return QObject::event(e);
  got.push_back({h->message(), h->wParam(), h->lParam()});
  if (onMessage)
    onMessage(got.back());
  return true;
}

void RecordingMailer::send(const TMailMessage &message, const TSmtpServer &server) {
  messages.push_back(message);
  servers.push_back(server);
  if (!failWith.isEmpty())
    throw EMailError(failWith);
}

bool RecordingLauncher::startProgram(const QString &program, const QStringList &arguments,
                                     const QString &) {
  started << (QStringList{program} + arguments).join(u'|');
  if (during)
    during();
  return true;
}

bool RecordingLauncher::openDocument(const QString &target) {
  started << target;
  return true;
}

// --- RuntimeTest ---

RuntimeTest::RuntimeTest() {
  TModel &model = testModel.model;
  QFile::remove(GetLogFileName(model));
  model.SetCurrentUserName(QStringLiteral("Anna Lee"));
  model.SetDefaultUserData(TDefaultUserData{QStringLiteral("smtp.example.org"),
                                            QStringLiteral("anna@example.org"), QString(), 25});
  soundFile = sandbox::root() + QStringLiteral("/bell.wav");
  QFile f(soundFile);
  if (f.open(QIODevice::WriteOnly))
    f.write("RIFF");

  masterWindow.setObjectName(QLatin1String(MasterWindowName));
  ui.mainWindow = [this] { return mainWindow.handle; };
  runtime = std::make_unique<TReminderScheduler>(model, outputs, ui);
  ticker.OnTimer = [this] { runtime->Timer1Timer(); };
}

RuntimeTest::~RuntimeTest() = default;

void RuntimeTest::tickAfter(int64_t ms) {
  clock.advanceMs(ms);
  clock.setTickCount(clock.tickCount() + static_cast<uint32_t>(ms));
  ticker.Tick();
}

std::unique_ptr<TDataObject> RuntimeTest::once(TDateTime when) const {
  static int serial = 0;
  auto r = TDataObject::CreateEmpty(
      QStringLiteral("0000000%1-AAAA-BBBB-CCCC-DDDDEEEEFFFF").arg(++serial % 10));
  r->enable = true;
  r->repeat.type = TRepeatType::Once;
  r->repeat.dt = when;
  r->subject = QStringLiteral("Call Bob");
  r->text = QStringLiteral("Bring the papers");
  r->sticker.enable = true;
  r->tray = true;
  r->sound.enable = true;
  r->sound.volume = 70;
  r->sound.fileName = soundFile;
  return r;
}

TDateTime RuntimeTest::at(int hour, int minute, int second, int msec) {
  return EncodeDate(2024, 3, 5) + EncodeTime(hour, minute, second, msec);
}

FormatSettings RuntimeTest::pinnedFormat() {
  FormatSettings fs;
  fs.shortDateFormat = QStringLiteral("dd.mm.yy");
  fs.longTimeFormat = QStringLiteral("hh:nn:ss");
  fs.decimalSeparator = u'.';
  return fs;
}

std::unique_ptr<TDataObject> RuntimeTest::onFile(const TDataObject &r) const {
  TestModel disk;
  disk.model.Store().LoadFromFile(testModel.file);
  if (!disk.model.Store().FindItem(r.Id))
    return nullptr;
  return TDataObject::Create(disk.model, r.Id);
}

QStringList RuntimeTest::logLines() const {
  QFile f(GetLogFileName(testModel.model));
  if (!f.open(QIODevice::ReadOnly))
    return {};
  QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"));
  if (!lines.isEmpty() && lines.back().isEmpty())
    lines.removeLast();
  return lines;
}

QStringList RuntimeTest::fields(const QString &line) {
  QStringList f;
  SplitLogLine(line, f);
  return f;
}

} // namespace runtimetest
