#pragma once

#include <QIcon>

/// The 16 × 16 images of the catalogue's image buttons, drawn by the program.
namespace ButtonIcons {
QIcon insertDirectory();
QIcon insertStatement();
QIcon remove();
QIcon moveUp();
QIcon moveDown();
QIcon execute();
} // namespace ButtonIcons
