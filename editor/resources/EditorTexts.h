// The editor's resource texts as a table the programs that show them install:
// the editor, mrw (which runs the editor's code) and the test programs.
#pragma once
#include "platform/ResourceText.h"

namespace mrw {

// The editor's resource library in the program folder (Windows build).
extern const char kEditorResourceLibrary[];  // "MorwenRes.dll"

// The editor's compiled-in texts (CompiledStrings.h).
const ResourceTable& EditorResourceTable();

}  // namespace mrw
