#include "session/interface_texts.h"

#include <string>

#include "text/json_text.h"

namespace kerfwright::InterfaceTexts {

std::string json() {
    text::JsonObject object;
    for (const Text& entry : kAll) object.text(entry.key, entry.text);
    return object.done();
}

}  // namespace kerfwright::InterfaceTexts
