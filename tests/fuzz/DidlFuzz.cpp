// DIDL-Lite as the controller reads it from a remote server's Browse
// result (ParseShareObjects). Input: the Result text. Every object read is
// written back out, and what is written must read back as one object.
#include <memory>
#include <vector>

#include "FuzzSupport.h"
#include "FuzzTarget.h"
#include "content/DidlLite.h"
#include "content/ShareObject.h"

HALVORN_FUZZ_TARGET(didl) {
    const std::string text(AsText(data, size));
    if (!IxmlReadsSafely(text)) return;
    std::vector<std::shared_ptr<ShareObject>> objects;
    const int rc = ParseShareObjects(text, &objects);
    FUZZ_CHECK(rc == 0 || (rc == -107 && objects.empty()));
    for (const auto& object : objects) {
        std::vector<std::shared_ptr<ShareObject>> again;
        FUZZ_CHECK(ParseShareObjects(DidlDocument(*object), &again) == 0);
        FUZZ_CHECK(again.size() == 1);
        if (again.size() == 1) {
            FUZZ_CHECK(again.front()->Id() == object->Id());
            FUZZ_CHECK(again.front()->Title() == object->Title());
        }
    }
}
