#include "ui/program_icon.h"

namespace quadrel {

QIcon programIcon() {
    // Made from data/quadrel.svg at build time, as the desktop's icons are.
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QString(":/icons/quadrel-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace quadrel
