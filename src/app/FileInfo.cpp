#include "app/FileInfo.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "jwc/JwcData.h"
#include "jwc/JwkData.h"
#include "jww/JwsData.h"
#include "jww/JwwData.h"
#include "util/Func2.h"

namespace velmora {

namespace {

struct TInfo {
    std::string kind;
    bool check = false;
    bool read = false;
    long version = 0;
    std::string damage;  // where and why reading stopped early; empty for a whole file
    // The counts in the order they are reported.
    std::vector<std::pair<const char*, long>> counts;
};

template <typename TWindows>
void WindowsCounts(const TWindows& d, TInfo& info) {
    info.version = d.Enthd.jwVer;
    info.counts = {{"lines", d.EntLineN},   {"arcs", d.EntEnkoN},          {"points", d.EntTenN},
                   {"texts", d.EntMojiN},   {"dimensions", d.EntSunpoN},   {"solids", d.EntSolidN},
                   {"blocks", d.EntBlockN}, {"block_defs", d.EntBlockDefN}};
}

template <typename TDos>
void DosCounts(const TDos& d, TInfo& info) {
    info.counts = {{"lines", static_cast<long>(d.EntLine.size())},
                   {"arcs", static_cast<long>(d.EntArc.size())},
                   {"points", static_cast<long>(d.EntTen.size())},
                   {"texts", static_cast<long>(d.EntMoji.size())},
                   {"dimensions", 0},
                   {"solids", 0},
                   {"blocks", 0},
                   {"block_defs", 0},
                   {"images", 0}};
}

void ReadDamage(bool read, const std::string& what, size_t offset, TInfo& info) {
    if (!info.check || read) return;
    info.damage = "damaged at byte " + std::to_string(offset) + " (" +
                  (what.empty() ? std::string("File I/O Error") : what) + ")";
}

TInfo Inspect(const std::string& path) {
    TInfo info;
    const std::string ext = GetFileExtLower(path);
    if (ext == ".jww") {
        TJwwData d;
        // The pictures are read past, not extracted: they are counted only.
        d.BindImageExp = false;
        d.BindImageExr = true;
        info.kind = "jww";
        info.check = d.FileCheck(path);
        if (info.check) info.read = d.FileIn(path);
        ReadDamage(info.read, d.LastError(), d.LastErrorOffset(), info);
        if (info.read && !d.BudgetStop.empty()) {
            info.read = false;
            info.damage = d.BudgetStop;
        }
        WindowsCounts(d, info);
        info.counts.emplace_back("images", d.BindImageN);
    } else if (ext == ".jws") {
        TJwsData d;
        info.kind = "jws";
        info.check = d.FileCheck(path);
        if (info.check) info.read = d.FileIn(path);
        ReadDamage(info.read, d.LastError(), d.LastErrorOffset(), info);
        if (info.read && !d.BudgetStop.empty()) {
            info.read = false;
            info.damage = d.BudgetStop;
        }
        WindowsCounts(d, info);
        info.counts.emplace_back("images", d.BindImageN);
    } else if (ext == ".jwc") {
        TJwcData d;
        info.kind = "jwc";
        info.check = d.FileCheck(path);
        if (info.check) info.read = d.FileIn(path);
        ReadDamage(info.read, d.ErrorText(), d.ErrorOffset(), info);
        DosCounts(d, info);
        // The drawing's own count; the table always has room for 101.
        const long vten = d.EntVten.empty() ? 0 : d.Enthd.vtenCount;
        info.counts.emplace_back("virtual_points",
                                 std::clamp(vten, 0L, static_cast<long>(d.EntVten.size())));
    } else if (ext == ".jwk") {
        TJwkData d;
        info.kind = "jwk";
        info.check = d.FileCheck(path);
        if (info.check) info.read = d.FileIn(path);
        ReadDamage(info.read, d.ErrorText(), d.ErrorOffset(), info);
        DosCounts(d, info);
    } else {
        info.counts = {{"lines", 0},  {"arcs", 0},       {"points", 0},
                       {"texts", 0},  {"dimensions", 0}, {"solids", 0},
                       {"blocks", 0}, {"block_defs", 0}, {"images", 0}};
    }
    return info;
}

}  // namespace

std::string JsonQuote(const std::string& text) {
    std::string out = "\"";
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string FileInfoJson(const std::string& path) {
    const TInfo info = Inspect(path);
    std::string out = "{\"file\": " + JsonQuote(path) + ", \"kind\": " + JsonQuote(info.kind);
    out += std::string(", \"check\": ") + (info.check ? "true" : "false");
    out += std::string(", \"read\": ") + (info.read ? "true" : "false");
    if (!info.damage.empty()) out += ", \"damage\": " + JsonQuote(info.damage);
    out += ", \"version\": " + IntToText(info.version);
    for (const auto& [key, value] : info.counts) {
        out += std::string(", \"") + key + "\": " + IntToText(value);
    }
    return out + "}";
}

}  // namespace velmora
