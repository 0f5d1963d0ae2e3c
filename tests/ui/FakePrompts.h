#pragma once

#include "ui/UiPrompts.h"

#include <QStringList>
#include <QVariant>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <vector>

Q_DECLARE_METATYPE(TFontChoice)

// Prompts for tests: every text shown is recorded as "kind: text", and each answer comes from the
// script, in order. A question with no answer scripted fails the test and is answered No / Cancel.
class FakePrompts final : public UiPrompts {
public:
  QStringList shown;
  std::deque<QVariant> script; // bool, Answer (as int), QString, TColor or TFontChoice

  [[nodiscard]] bool askYesNo(const QString &text) override {
    return next("ask", text, QVariant(false)).toBool();
  }
  [[nodiscard]] Answer askYesNoCancel(const QString &text) override {
    return Answer(next("ask3", text, QVariant(int(Answer::Cancel))).toInt());
  }
  void notice(const QString &text) override { shown << "notice: " + text; }
  // With holdNotices set, a notice shown without waiting stays open until the test runs its
  // callback from `open` (as the user's OK); else it closes at once.
  QWidget *openNotice(const QString &text, const std::function<void()> &closed) override {
    shown << "notice: " + text;
    if (holdNotices)
      open.push_back(closed);
    else
      closed();
    return nullptr;
  }
  bool holdNotices = false;
  std::vector<std::function<void()>> open;
  void error(const QString &text, const QString &reason) override {
    shown << "error: " + text + (reason.isEmpty() ? QString() : " / " + reason);
  }
  [[nodiscard]] QString openFile(const TFileChoice &c) override {
    return next("open", c.title, QString()).toString();
  }
  [[nodiscard]] QString saveFile(const TFileChoice &c) override {
    return next("save", c.title, QString()).toString();
  }
  [[nodiscard]] QString chooseFolder(const QString &title, const QString &) override {
    return next("folder", title, QString()).toString();
  }
  [[nodiscard]] std::optional<TColor> chooseColor(TColor) override {
    const QVariant v = next("color", {}, {});
    return v.isValid() ? std::optional<TColor>(v.value<TColor>()) : std::nullopt;
  }
  [[nodiscard]] std::optional<TFontChoice> chooseFont(const TFontChoice &) override {
    const QVariant v = next("font", {}, {});
    return v.isValid() ? std::optional<TFontChoice>(v.value<TFontChoice>()) : std::nullopt;
  }

private:
  QVariant next(const char *kind, const QString &text, const QVariant &fallback) {
    shown << QString::fromLatin1(kind) + ": " + text;
    if (script.empty()) {
      ADD_FAILURE() << "no answer scripted for " << kind << ": " << text.toStdString();
      return fallback;
    }
    QVariant answer = script.front();
    script.pop_front();
    return answer;
  }
};
