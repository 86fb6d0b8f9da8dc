#include "macros/triggers/macro_triggers.h"

namespace keyloom {

MacroTriggers::MacroTriggers(const MacroTriggerServices& services)
    : router(services.hotKeys),
      pool(router, services.catalogue, services.pump, services.processHotKey),
      poll({services.catalogue, services.files, services.windows, services.pump, services.Timer1,
            services.processHotKey}),
      StopRecordingHotKey(router) {
    StopRecordingHotKey.setEnabled(false);
    StopRecordingHotKey.setHotKey(kStopRecordingKey);
}

}  // namespace keyloom
