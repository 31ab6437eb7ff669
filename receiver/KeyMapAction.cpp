#include "KeyMapAction.h"

int KeyMapAction::ProcessRequest(const std::string&, ActionResults&) {
    control_->SI_IRReceiver(name, key_value);
    return 0;
}
