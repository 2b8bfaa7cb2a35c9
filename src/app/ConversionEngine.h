#pragma once

#include <memory>
#include <string>

#include "app/Engine.h"
#include "attr/GraAttribute.h"
#include "geometry/Converter.h"
#include "geometry/FigList.h"
#include "gltf/SaveGlb.h"
#include "jwc/JwcData.h"
#include "jwc/JwkData.h"
#include "jww/JwsData.h"
#include "jww/JwwData.h"

namespace velmora {

// The engine of the program: the four readers, the attribute table, the primitive list, the
// converter and the writer, created once by a front end and reused for every file.
class TConversionEngine final : public IConversionEngine {
  public:
    // tempFolder: the working folder (with trailing delimiter) that drawings extract their
    // embedded pictures into while they are loaded.
    explicit TConversionEngine(const std::string& tempFolder);
    ~TConversionEngine() override;

    IFileKind* Kind(const std::string& extLower) override;
    void SetSettings(const TConvertSettings& settings) override;
    TSaveResult SaveDae(const std::string& dst, std::string& error) override;
    void FreeAll() override;
    void Fig3DClear() override;

    TFigList Fig;
    TgraAttribute gAtt;
    TConverter Conv;
    TJwwData JWW;
    TJwsData JWS;
    TJwcData JWC;
    TJwkData JWK;

    // Set by a kind whose conversion ran out of memory: the file then gets no output rather
    // than a document holding part of it.
    bool ConvertFailed = false;
    // The file last read, whose name the glTF scene takes.
    std::string SourceName;

    // The drawing's name and its own layer names as the attribute table holds them.
    TGlbNames GlbNames() const;

  private:
    std::unique_ptr<IFileKind> jww_, jws_, jwc_, jwk_;
};

// The engine both front ends convert with.
std::unique_ptr<IConversionEngine> MakeConversionEngine(const std::string& tempFolder);

}  // namespace velmora
