#pragma once

// What showing a picture costs, measured through the windows the program shows them in (part of
// gif_bench). Needs a QApplication.
namespace picturecost {

// Unless QT_QPA_PLATFORM names one, the offscreen platform with one 1920 x 1200 screen (its
// default screen of 800 x 800 would cut the sticker windows down). Call before the QApplication.
void choosePlatform();

// Registers the sticker animation and still-picture benchmarks; each prints its goal.
void registerAll();

} // namespace picturecost
