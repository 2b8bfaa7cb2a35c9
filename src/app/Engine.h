#pragma once

#include <cstddef>
#include <string>

#include "collada/SaveDae.h"
#include "geometry/ConvertSettings.h"

namespace velmora {

// Why a drawing was converted only in part: its reading stopped early, or the explosion of
// its blocks hit a budget. Kind None for a clean file.
struct TDamage {
    enum class TKind { None, File, Budget };
    TKind Kind = TKind::None;
    size_t Offset = 0;  // File: the byte where reading stopped
    std::string What;   // short English text: what stopped the reading, or which budget
};

// One input kind (".jww", ".jws", ".jwc", ".jwk"): its reader together with the attribute
// and conversion steps the batch run calls, in this order, for a file that passed FileCheck.
class IFileKind {
  public:
    virtual ~IFileKind() = default;

    // Whether the file is one this reader accepts (magic, version). Never throws.
    virtual bool FileCheck(const std::string& src) = 0;
    // Reads the file into the reader. The result is not consulted: conversion goes on with
    // whatever was read.
    virtual bool FileIn(const std::string& src) = 0;
    // Puts the attribute table's pens, widths, point radii and line types back to their
    // defaults, then installs the drawing's own (a Windows drawing) or the defaults for the
    // current background (the other kinds).
    virtual void ResetAttributes() = 0;
    // Installs the layer states, scales and names into the attribute table.
    virtual void SetGAttLayer() = 0;
    // Empties the primitive list and converts the loaded drawing into it.
    virtual void Convert() = 0;
    // What cut the last FileIn and Convert short, if anything.
    virtual TDamage Damage() const { return {}; }
};

// Everything a run converts with: the readers, the attribute table, the primitive list and
// the writer. Owned by the front end for the life of the program; one run at a time.
class IConversionEngine {
  public:
    virtual ~IConversionEngine() = default;

    // The kind for a lower-cased extension with its "."; nullptr when there is no reader.
    // The object stays owned by the engine.
    virtual IFileKind* Kind(const std::string& extLower) = 0;
    // The settings captured (and clamped) at the start of a run.
    virtual void SetSettings(const TConvertSettings& settings) = 0;
    // Writes the primitive list to dst in the format of the settings. On CannotCreate, error
    // holds the text to show.
    virtual TSaveResult SaveDae(const std::string& dst, std::string& error) = 0;
    // Every reader releases the data of the last file (a Windows drawing also deletes the
    // pictures it extracted into the working folder).
    virtual void FreeAll() = 0;
    // Empties the primitive list and releases its storage; called at the end of a run.
    virtual void Fig3DClear() = 0;
};

}  // namespace velmora
