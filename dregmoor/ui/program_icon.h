// The program's icon, drawn rather than loaded, so that the tray shows it without image plugins:
// a waste bin with a sweeping arc.
#pragma once

#include <QIcon>

namespace ostrevin::dregmoor {

QIcon programIcon();

}  // namespace ostrevin::dregmoor
