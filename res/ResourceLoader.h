#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>

// The program's pictures and sounds by their numbers. A number that is not among the
// resources gives a null icon, a null image, an empty byte array or an empty path.

// An icon with every size drawn for it (16 and 32 pixels; more for the application icon 128).
QIcon LoadIconResource(int id);

// A bitmap: an image strip, a one-bit mask strip, the indicator or the About picture. At scale
// 2 its picture for screens scaled by two (an image strip's with an alpha channel instead of a
// mask), null where there is none.
QImage LoadBitmapResource(int id, int scale = 1);

// The bytes of a bitmap exactly as stored (a Windows bitmap file for the About picture).
QByteArray LoadBitmapFile(int id);

// The file of a sound cue: under share/pellwick/sounds beside the program's bin folder where it
// is installed, else in the folder sounds/ beside the program (a build tree). Empty for a number
// without a cue.
QString SoundCueFile(int id);
