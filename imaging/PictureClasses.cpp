#include "imaging/PictureClasses.h"

#include "imaging/Bitmap.h"
#include "imaging/GIFImage.h"
#include "imaging/Icon.h"
#include "imaging/IconList.h"
#include "imaging/JpegImage.h"
#include "imaging/Metafile.h"
#include "imaging/Picture.h"

void RegisterPictureClasses() {
  graphics::registerClass(QStringLiteral("Bitmap"), [] { return std::make_unique<TBitmap>(); });
  graphics::registerClass(QStringLiteral("Icon"), [] { return std::make_unique<TIcon>(); });
  graphics::registerClass(QStringLiteral("JPEGImage"),
                          [] { return std::make_unique<TJPEGImage>(); });
  graphics::registerClass(QStringLiteral("Metafile"), [] { return std::make_unique<TMetafile>(); });
  graphics::registerClass(QStringLiteral("IconList"), [] { return std::make_unique<TIconList>(); });

  TPicture::registerFileFormat(QStringLiteral("bmp"), QStringLiteral("Bitmaps"),
                               QStringLiteral("Bitmap"));
  TPicture::registerFileFormat(QStringLiteral("ico"), QStringLiteral("Icons"),
                               QStringLiteral("Icon"));
  for (const char *ext : {"jpg", "jpeg", "jpe", "jfif"})
    TPicture::registerFileFormat(QString::fromLatin1(ext), QStringLiteral("JPEG Image File"),
                                 QStringLiteral("JPEGImage"));
  TPicture::registerFileFormat(QStringLiteral("wmf"), QStringLiteral("Metafiles"),
                               QStringLiteral("Metafile"));
  TPicture::registerFileFormat(QStringLiteral("emf"), QStringLiteral("Enhanced Metafiles"),
                               QStringLiteral("Metafile"));
  RegisterGIFImage();
}
