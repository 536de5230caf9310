// The program's icon in every size it ships: window icon, notification-area icon.
#pragma once

#include <QIcon>

namespace pellmark {

QIcon PellmarkIcon();

} // namespace pellmark
