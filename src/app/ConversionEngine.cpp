#include "app/ConversionEngine.h"

#include <functional>
#include <new>

#include "gltf/SaveGlb.h"
#include "util/Func2.h"

namespace velmora {

namespace {

// The readers name their last failure in two ways.
const std::string& ReaderError(const TJwcData& r) {
    return r.ErrorText();
}
const std::string& ReaderError(const TJwkData& r) {
    return r.ErrorText();
}
const std::string& ReaderError(const TJwwData& r) {
    return r.LastError();
}
const std::string& ReaderError(const TJwsData& r) {
    return r.LastError();
}
size_t ReaderErrorOffset(const TJwcData& r) {
    return r.ErrorOffset();
}
size_t ReaderErrorOffset(const TJwkData& r) {
    return r.ErrorOffset();
}
size_t ReaderErrorOffset(const TJwwData& r) {
    return r.LastErrorOffset();
}
size_t ReaderErrorOffset(const TJwsData& r) {
    return r.LastErrorOffset();
}
// Only Windows drawings have blocks to explode.
std::string BudgetStop(const TJwcData&) {
    return {};
}
std::string BudgetStop(const TJwkData&) {
    return {};
}
std::string BudgetStop(const TJwwData& r) {
    return r.BudgetStop;
}
std::string BudgetStop(const TJwsData& r) {
    return r.BudgetStop;
}

// Windows readers hold arrays of a drawing's size; once converted they are given back, so
// that the document is written with the memory of the list alone. DOS drawings are small.
void FreeConverted(TJwwData& r) {
    r.EntitiesFree();
}
void FreeConverted(TJwsData& r) {
    r.EntitiesFree();
}
void FreeConverted(TJwcData&) {}
void FreeConverted(TJwkData&) {}

// One input kind as the batch run sees it: the reader's check and read, and the attribute and
// conversion steps that differ between kinds.
template <typename TReader>
class TFileKind final : public IFileKind {
  public:
    TFileKind(TConversionEngine& engine, TReader& reader, std::function<void()> resetAttributes,
              std::function<void()> convert)
        : engine_(engine),
          reader_(reader),
          resetAttributes_(std::move(resetAttributes)),
          convert_(std::move(convert)) {}

    bool FileCheck(const std::string& src) override { return reader_.FileCheck(src); }
    bool FileIn(const std::string& src) override {
        engine_.ConvertFailed = false;
        engine_.SourceName = src;
        damage_ = TDamage{};
        const bool whole = reader_.FileIn(src);
        if (!whole) {
            damage_.Kind = TDamage::TKind::File;
            damage_.Offset = ReaderErrorOffset(reader_);
            damage_.What = ReaderError(reader_);
            if (damage_.What.empty()) damage_.What = "File I/O Error";
        }
        return whole;
    }
    void ResetAttributes() override { resetAttributes_(); }
    void SetGAttLayer() override { reader_.SetGAttLayer(engine_.gAtt); }
    void Convert() override {
        try {
            convert_();
        } catch (const std::bad_alloc&) {
            engine_.Fig.Fig3DClear();
            engine_.ConvertFailed = true;
        } catch (const TStopped&) {
            // The run abandons this file: nothing of it is written.
            engine_.Fig.Fig3DClear();
            engine_.ConvertFailed = true;
        }
        // A cut file is the first thing to report; a budget only for a whole file.
        if (damage_.Kind == TDamage::TKind::None) {
            const std::string budget = BudgetStop(reader_);
            if (!budget.empty()) {
                damage_.Kind = TDamage::TKind::Budget;
                damage_.What = budget;
            }
        }
        FreeConverted(reader_);
    }
    TDamage Damage() const override { return damage_; }

  private:
    TConversionEngine& engine_;
    TReader& reader_;
    std::function<void()> resetAttributes_;
    std::function<void()> convert_;
    TDamage damage_;
};

}  // namespace

TConversionEngine::TConversionEngine(const std::string& tempFolder) : Conv(Fig, gAtt) {
    PrepareAttributesAtStartup(gAtt);
    // Drawings extract their embedded pictures while loading; symbols have none.
    JWW.BindImageExp = true;
    JWW.BindImageExr = true;
    JWW.BindImageFolder = tempFolder;
    JWS.BindImageFolder = tempFolder;
    JWS.BindImageExp = false;
    JWS.BindImageExr = false;

    const auto otherReset = [this] { ResetAttributesForOtherFile(gAtt); };
    jww_ = std::make_unique<TFileKind<TJwwData>>(
        *this, JWW,
        [this] {
            ResetAttributesForJwwFile(gAtt);
            JWW.FileColorSet(gAtt);
            JWW.FileLtypeSet(gAtt);
        },
        [this] { Conv.DataTransJWW(JWW); });
    jws_ = std::make_unique<TFileKind<TJwsData>>(*this, JWS, otherReset,
                                                 [this] { Conv.DataTransJWS(JWS); });
    jwc_ = std::make_unique<TFileKind<TJwcData>>(*this, JWC, otherReset,
                                                 [this] { Conv.DataTransJWC(JWC); });
    jwk_ = std::make_unique<TFileKind<TJwkData>>(*this, JWK, otherReset,
                                                 [this] { Conv.DataTransJWK(JWK); });
}

TConversionEngine::~TConversionEngine() {
    FreeAll();
}

IFileKind* TConversionEngine::Kind(const std::string& extLower) {
    if (extLower == ".jww") return jww_.get();
    if (extLower == ".jws") return jws_.get();
    if (extLower == ".jwc") return jwc_.get();
    if (extLower == ".jwk") return jwk_.get();
    return nullptr;
}

void TConversionEngine::SetSettings(const TConvertSettings& settings) {
    Conv.Settings = settings;
    Fig.Stop = settings.Stop;
    JWW.Stop = settings.Stop;
    JWS.Stop = settings.Stop;
}

TSaveResult TConversionEngine::SaveDae(const std::string& dst, std::string& error) {
    if (ConvertFailed) {
        error = "out of memory while converting";
        return TSaveResult::Failed;
    }
    switch (Conv.Settings.Format) {
        case TOutputFormat::DaeCompact:
            return SaveDaeFile(dst, Fig, Conv.Settings.SaveScale, error, {}, TDaeStyle::Compact,
                               Conv.Settings.Stop);
        case TOutputFormat::Glb:
            return SaveGlbFile(dst, Fig, Conv.Settings.SaveScale, GlbNames(), error);
        case TOutputFormat::Dae:
            break;
    }
    return SaveDaeFile(dst, Fig, Conv.Settings.SaveScale, error, {}, TDaeStyle::Plain,
                       Conv.Settings.Stop);
}

TGlbNames TConversionEngine::GlbNames() const {
    TGlbNames names;
    const std::string file = ExtractFileName(SourceName);
    const size_t dot = file.rfind('.');
    names.Drawing = dot == std::string::npos ? file : file.substr(0, dot);
    for (int L = 0; L < kFigLayerCount; ++L) {
        // The attribute table keeps "(n) " before the drawing's own name.
        const std::string shown = gAtt.GetAttrLayerName(L);
        names.Layers[static_cast<size_t>(L)] = shown.size() > 4 ? shown.substr(4) : std::string();
    }
    return names;
}

void TConversionEngine::FreeAll() {
    JWC.DataFree();
    JWK.DataFree();
    JWW.BindImageDeleteGzFile();
    JWW.BindImageDeleteNonGzFile();
    JWW.DataFree();
    JWW.BindImageInit();
    JWS.DataFree();
}

void TConversionEngine::Fig3DClear() {
    Fig.Fig3DClear();
}

std::unique_ptr<IConversionEngine> MakeConversionEngine(const std::string& tempFolder) {
    return std::make_unique<TConversionEngine>(tempFolder);
}

}  // namespace velmora
