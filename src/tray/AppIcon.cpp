#include "tray/AppIcon.h"

#include <array>

// The icon pictures are compiled into this static library; referencing the
// resource's initialiser keeps the linker from dropping them.
static void registerIconResources() {
    Q_INIT_RESOURCE(pellmark_icons);
}

namespace pellmark {

QIcon PellmarkIcon() {
    registerIconResources();
    QIcon icon;
    for (int size : std::array{16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/pellmark/icons/pellmark-%1.png").arg(size),
                     QSize(size, size));
    return icon;
}

} // namespace pellmark
