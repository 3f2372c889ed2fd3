// Icons of application bundles, and the generic icons shown where there is
// no icon of a bundle's own: what a file manager would show for an
// application, as images (QtGui's QImage; no widgets and no running
// application object are needed).
//
// Icon files come from bundles anyone may have written, so reading one is
// bounded: the name must stay inside Contents/Resources, the file must be a
// regular file of at most kMaxIconFileBytes, at most kMaxIconImages sizes of
// a multi-size file are looked at, and images over kMaxIconSide pixels on a
// side are not decoded. Anything else gives a null image, never a crash.
//
// All functions are safe to call from any thread; the images returned are
// values of the caller's.
#pragma once

#include <QImage>
#include <QString>

namespace corvane {

inline constexpr qint64 kMaxIconFileBytes = 16 << 20;
inline constexpr int kMaxIconImages = 64;
inline constexpr int kMaxIconSide = 4096;

// The bundle's own icon: the file named by CFBundleIconFile in
// Contents/Resources (".icns" is added to a name without an extension).
// Of the sizes a file holds, the smallest at least preferredSize pixels wide,
// else the largest. A null image when the bundle names no icon or the file
// is missing, refused or undecodable.
QImage bundleIcon(const QString& bundlePath, int preferredSize = 128);

enum class GenericIcon {
    Application,  // an application without an icon of its own
    Executable,   // a program that is not an application bundle
};

// A generic icon drawn by the platform: 128 pixels square, transparent
// outside its shape. Never null.
QImage genericIcon(GenericIcon kind);

// The icon shown for the application at path: its own, else the generic
// application icon. Never null.
QImage iconForApplicationPath(const QString& path, int preferredSize = 128);

}  // namespace corvane
