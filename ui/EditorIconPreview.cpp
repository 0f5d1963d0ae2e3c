#include "ui/EditorIconPreview.h"

#include "imaging/AniCursor.h"
#include "imaging/Icon.h"
#include "imaging/IconList.h"
#include "imaging/SmallIconImage.h"
#include "model/DataObject.h"
#include "model/DataObjectStore.h"
#include "widgets/TrayIconUnit.h"

#include <QLabel>
#include <QPixmap>

TEditorIconPreview::TEditorIconPreview(TModel &model, QLabel *image, QObject *parent)
    : QObject(parent), m_model(model), m_image(image), m_icon(std::make_unique<TIcon>()),
      m_smallIcon(std::make_unique<TIcon>()), m_frames(std::make_unique<TIconList>()),
      m_tray(new TTrayIcon(this, false)) {
  m_timer.setObjectName(QStringLiteral("TimerIco"));
  m_timer.setInterval(150);
  connect(&m_timer, &QTimer::timeout, this, [this] { Step(); });
}

TEditorIconPreview::~TEditorIconPreview() {
  // The preview leaves the notification area with the editor.
  m_tray->SetActive(false);
}

bool TEditorIconPreview::HasFrames() const { return m_frames->GetCount() > 0; }

void TEditorIconPreview::Load(const TDataObject &reminder) {
  TIconImages stored = LoadIcon(m_model, reminder, true);
  auto icon = std::make_unique<TIcon>();
  auto frames = std::make_unique<TIconList>();
  if (stored.icons)
    frames->Assign(stored.icons.get());
  if (stored.icon)
    icon->assign(stored.icon.get());
  commit(std::move(icon), std::move(frames));
}

void TEditorIconPreview::LoadFile(const QString &fileName) {
  auto icon = std::make_unique<TIcon>();
  auto frames = std::make_unique<TIconList>();
  if (fileName.endsWith(QLatin1String(".ani"), Qt::CaseInsensitive)) {
    TAnimatedCursorImage cursor;
    cursor.LoadFromFile(fileName);
    frames->BeginUpdate();
    for (int i = 0; i < cursor.GetIconCount(); ++i)
      frames->Add(cursor.GetIcon(i));
    frames->EndUpdate();
    // The single icon stays: a moving icon is saved instead of it, and "Clear ico" empties both.
    icon->assign(m_icon.get());
  } else {
    icon->loadFromFile(fileName);
  }
  commit(std::move(icon), std::move(frames));
}

void TEditorIconPreview::Clear() {
  commit(std::make_unique<TIcon>(), std::make_unique<TIconList>());
}

void TEditorIconPreview::Save(const TDataObject &reminder) const {
  SaveIcon(m_model, reminder, HasFrames() ? m_frames.get() : nullptr, m_icon.get());
}

void TEditorIconPreview::UpdateTray(bool active) {
  m_tray->SetActive(false);
  if (active) {
    if (HasFrames()) {
      m_tray->SetIcons(m_frames.get());
    } else {
      m_tray->SetIcons(nullptr);
      m_tray->SetIcon(m_smallIcon.get());
    }
  }
  m_tray->SetAnimated(active && HasFrames());
  m_tray->SetActive(active);
}

void TEditorIconPreview::Step() {
  const int count = m_frames->GetCount();
  if (count == 0)
    return;
  if (m_frameIndex >= count)
    m_frameIndex = 0;
  showImage(m_frames->Get(m_frameIndex));
  m_frameIndex = (m_frameIndex + 1) % count;
}

void TEditorIconPreview::commit(std::unique_ptr<TIcon> icon, std::unique_ptr<TIconList> frames) {
  m_timer.stop();
  m_icon = std::move(icon);
  m_frames = std::move(frames);
  m_frameIndex = 0;
  showSmallIcon();
  if (HasFrames()) {
    Step();
    m_timer.start();
  }
}

void TEditorIconPreview::showSmallIcon() {
  auto small = std::make_unique<TIcon>(*m_icon);
  SelectSmallIconImage(*small);
  m_smallIcon = std::move(small);
  showImage(m_smallIcon.get());
}

void TEditorIconPreview::showImage(const TIcon *icon) {
  if (!icon || icon->image().isNull()) {
    m_image->clear();
    return;
  }
  QPixmap picture = QPixmap::fromImage(icon->image());
  // An icon without a 16-pixel image (a lone 32-pixel one) is drawn smaller, as a tray would.
  if (picture.width() > 16 || picture.height() > 16)
    picture = picture.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  m_image->setPixmap(picture);
}
