#pragma once

#include <QIcon>
#include <QPixmap>

// The program's picture (the same drawing as data/quilvar.svg): a cost sheet and a coin.
QPixmap AppPicture(int size);
QIcon AppIcon();
