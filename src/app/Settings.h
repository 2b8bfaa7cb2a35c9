#pragma once

#include <string>

#include "app/FormState.h"

namespace velmora {

// The settings file: 31 lines in a fixed order, then the output format, CR LF, UTF-8
// (everything the program itself writes is ASCII; the three folders are hex of their UTF-8
// bytes). A file of 31 lines gives the default format.

// Resets state to the defaults (LabelPreFolder := ExeFolder), then applies the lines of fn
// when it exists. Missing lines read as empty text. Returns false only when fn exists but
// could not be read; what was read until then stays applied.
bool OpenDatFile(const std::string& fn, const std::string& ExeFolder, TFormState& state);

// Writes the 31 lines to fn, replacing it. Returns false when the file could not be created or
// written; a partly written file is deleted so the next start falls back to the defaults.
bool SaveDatFile(const std::string& fn, const TFormState& state);

}  // namespace velmora
