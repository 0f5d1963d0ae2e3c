#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

// Makes a folder unwritable the way a test running as root can: while blocked, the folder is
// moved aside and a regular file takes its name, so nothing below it can be written or read.
// Unblocking (also at the end of the scope) puts the folder back as it was.
class BlockedFolder {
public:
  explicit BlockedFolder(QString folder) : m_folder(std::move(folder)) {}
  ~BlockedFolder() { Unblock(); }
  BlockedFolder(const BlockedFolder &) = delete;
  BlockedFolder &operator=(const BlockedFolder &) = delete;

  void Block() {
    if (m_blocked)
      return;
    ASSERT_TRUE(QDir().mkpath(m_folder));
    ASSERT_TRUE(QDir().rename(m_folder, aside()));
    QFile blocker(m_folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    m_blocked = true;
  }
  void Unblock() {
    if (!m_blocked)
      return;
    m_blocked = false;
    EXPECT_TRUE(QFile::remove(m_folder));
    EXPECT_TRUE(QDir().rename(aside(), m_folder));
  }

private:
  [[nodiscard]] QString aside() const { return m_folder + QStringLiteral(".aside"); }

  const QString m_folder;
  bool m_blocked = false;
};
