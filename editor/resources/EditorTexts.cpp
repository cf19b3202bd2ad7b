#include "editor/resources/EditorTexts.h"

#include "editor/resources/CompiledStrings.h"

namespace mrw {

const char kEditorResourceLibrary[] = "MorwenRes.dll";

namespace {

class CompiledTable : public ResourceTable {
public:
    std::optional<std::string> Text(int id) const override {
        const char* text = LookupCompiledString(id);
        if (!text) return std::nullopt;
        return std::string(text);
    }
};

}  // namespace

const ResourceTable& EditorResourceTable() {
    static const CompiledTable table;
    return table;
}

}  // namespace mrw
