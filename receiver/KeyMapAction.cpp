#include "KeyMapAction.h"

#include "TvKeyControlControl.h"

int KeyMapAction::ProcessRequest(const std::string&, ActionResults&) {
    TvKeyControlControl::Instance()->SI_IRReceiver(name, key_value);
    return 0;
}
