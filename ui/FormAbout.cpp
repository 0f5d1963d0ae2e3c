#include "ui/FormAbout.h"

#include "model/Model.h"
#include "ui_FormAbout.h"

#include "model/LanguageTable.h"
#include "model/Paths.h"
#include "services/ShellExecute.h"
#include "services/TextHelpers.h"
#include "services/VersionInfo.h"
#include "ui/ActionButton.h"
#include "ui/HubForm.h"
#include "ui/IconLibrary.h"
#include "ui/QtPrompts.h"
#include "ui/ReportErrors.h"
#include "widgets/FormLanguageFile.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace {

constexpr int DesignWidth = 314;
constexpr int DesignHeight = 141;

const QString MakerNotice = QStringLiteral("Free software by the Tolvane developers");

void openPage(const QString &address) {
  (void)ShellExecuteFile(address, QString(), QString(), SW_SHOWNORMAL, false, false);
}

} // namespace

TFormAbout::TFormAbout(TModel &model, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::FormAbout>()), m_model(model),
      m_hubForm(new THubForm(this, m_model)) {
  ui->setupUi(this);
  // The language file is applied in Prepare, before the labels get their texts, so a language
  // file cannot put an old version number in.
  m_hubForm->setTranslateOnShow(false);
  m_hubForm->setNotify(false);
  BindButtonToAction(ui->Button1, ui->ActionAboutClose);
  // Never shown: a hidden action could not be triggered, so only the button is hidden.
  connect(ui->Button3, &QPushButton::clicked, ui->ActionAboutMakeLng, &QAction::trigger);
  connect(ui->ActionAboutClose, &QAction::triggered, this, &QDialog::reject);
  connect(ui->ActionAboutMakeLng, &QAction::triggered, this,
          Reported([this] { ActionAboutMakeLngExecute(); }));
  connect(ui->LabelDisplayName, &LinkLabel::clicked, this, [] { openPage(ProductWebAddress()); });
  connect(ui->Label1, &LinkLabel::clicked, this, [] { openPage(MakerWebAddress()); });
}

TFormAbout::~TFormAbout() = default;

QString TFormAbout::ProductWebAddress() { return MakerWebAddress() + QStringLiteral("/tolvane"); }

bool TFormAbout::ShowAboutBox(TModel &model, const QString &text, QWidget *owner) {
  // The owner may go while the box is open (the program ends); the box goes with it then.
  QPointer<TFormAbout> box = new TFormAbout(model, owner);
  box->Prepare(text);
  const int result = RunDialog(box);
  delete box.data();
  return result == Accepted;
}

void TFormAbout::Prepare(const QString &text) {
  m_hubForm->ApplyLanguage();
  // After the language file, whose caption of the box itself ("About") would replace the title:
  // the main window passes its own caption of the command, translated already.
  setWindowTitle(QStringLiteral("Tolvane. ") + StripHotkey(text));
  ui->LabelDisplayName->setText(QStringLiteral("Tolvane"));
  ui->LabelDisplayName->setToolTip(ProductWebAddress());
  ui->LabelVersion->setText(MakerNotice + u'\n' + GetVersionText());
  ui->Label1->setText(MakerWebAddress());
  ui->LabelInfo->clear();
  // Linux desktops all take true-colour icons, so the 16-colour picture of older systems is not
  // needed.
  ui->Image1->setPixmap(iconlibrary::icon(TImageList::About, 0).pixmap(16, 16));

  resize(sizeHint().expandedTo(QSize(DesignWidth, DesignHeight)));
  setFixedSize(size());
  const QScreen *screen =
      parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  if (screen) {
    const QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
  }
}

void TFormAbout::ActionAboutMakeLngExecute() { SaveLanguageSection(GetDefaultLanguageFileName()); }

void TFormAbout::SaveLanguageSection(const QString &file) {
  ui->LabelInfo->setText(QStringLiteral("Dont use"));
  SaveFormLanguageFile(this, file);
}
