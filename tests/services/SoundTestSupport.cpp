#include "tests/services/SoundTestSupport.h"

#include "tests/support/Sandbox.h"

#include <QFile>
#include <QTest>
#include <QtEndian>

#include <cmath>

namespace soundtest {

bool NoticeRecorder::event(QEvent *e) {
  if (HubEvent *h = HubEvent::cast(e)) {
    if (h->message() == msg::MM_MCINOTIFY)
      got.push_back({h->wParam(), quint16(h->lParam() & 0xFFFF), QThread::currentThread()});
    return true;
  }
  return QObject::event(e);
}

size_t NoticeRecorder::countFor(quint16 device) const {
  size_t n = 0;
  for (const Notice &notice : got)
    n += notice.device == device ? 1 : 0;
  return n;
}

bool NoticeRecorder::waitFor(size_t count, int ms) const {
  return QTest::qWaitFor([&] { return got.size() >= count; }, ms);
}

namespace {

void put16(QByteArray &b, quint16 v) {
  const quint16 le = qToLittleEndian(v);
  b.append(reinterpret_cast<const char *>(&le), 2);
}

void put32(QByteArray &b, quint32 v) {
  const quint32 le = qToLittleEndian(v);
  b.append(reinterpret_cast<const char *>(&le), 4);
}

} // namespace

QByteArray makeWav(int milliseconds, int amplitude, int rate) {
  const quint32 samples = quint32(qint64(rate) * milliseconds / 1000);
  const quint32 dataBytes = samples * 2;
  QByteArray b;
  b.append("RIFF");
  put32(b, 36 + dataBytes);
  b.append("WAVEfmt ");
  put32(b, 16);
  put16(b, 1); // PCM
  put16(b, 1); // mono
  put32(b, quint32(rate));
  put32(b, quint32(rate) * 2);
  put16(b, 2);
  put16(b, 16);
  b.append("data");
  put32(b, dataBytes);
  for (quint32 i = 0; i < samples; ++i)
    put16(b, quint16(qint16(amplitude * std::sin(2 * M_PI * 440.0 * i / rate))));
  return b;
}

QString writeTempFile(const QString &name, const QByteArray &bytes) {
  const QString path = sandbox::makeTempDir(QStringLiteral("sound")) + QLatin1Char('/') + name;
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
    return {};
  return path;
}

TSoundResult FakeSoundEngine::open(quint16 id, const QString &fileName) {
  calls.push_back(QStringLiteral("open"));
  if (!openResult.ok())
    return openResult;
  devices[id] = Device{fileName};
  return {};
}

TSoundResult FakeSoundEngine::close(quint16 id) {
  calls.push_back(QStringLiteral("close"));
  if (!closeResult.ok())
    return closeResult;
  if (devices.erase(id) == 0)
    return {soundError::NotOpen, {}};
  return {};
}

TSoundResult FakeSoundEngine::play(quint16 id, WindowHandle notify) {
  calls.push_back(QStringLiteral("play"));
  if (!playResult.ok())
    return playResult;
  Device &d = devices.at(id);
  d.playing = true;
  d.notify = notify;
  return {};
}

TSoundResult FakeSoundEngine::stop(quint16 id) {
  calls.push_back(QStringLiteral("stop"));
  devices.at(id).playing = false;
  return {};
}

TSoundResult FakeSoundEngine::rewind(quint16 id) {
  calls.push_back(QStringLiteral("rewind"));
  devices.at(id).playing = false;
  return {};
}

TSoundResult FakeSoundEngine::setVolume(quint16 id, int volume) {
  calls.push_back(QStringLiteral("volume %1").arg(volume));
  devices.at(id).volume = volume;
  return {};
}

int FakeSoundEngine::volume(quint16 id) const {
  auto it = devices.find(id);
  return it == devices.end() ? -1 : it->second.volume;
}

void FakeSoundEngine::finish(quint16 id) {
  Device &d = devices.at(id);
  if (!d.playing)
    return;
  d.playing = false;
  if (d.notify)
    hub().post(d.notify, msg::MM_MCINOTIFY, msg::MCI_NOTIFY_SUCCESSFUL, id);
}

} // namespace soundtest
