#pragma once

// Registers the picture classes of this library under the names the store writes ("Bitmap",
// "Icon", "JPEGImage", "Metafile", "IconList", "GIFImage") and their file extensions with TPicture.
// The program calls it once at start-up (static libraries drop self-registering units); calling it
// again does no harm.
void RegisterPictureClasses();
