#pragma once

#include "EmfPlusRecords.h"
#include "EmfWriter.h"

#include <string>
#include <vector>

// Builds EMF+ records for tests and wraps them into the comments that carry them.
class EmfPlusWriter {
  public:
    static std::string f32(float v) { return EmfWriter::f32(v); }
    static std::string u32(std::uint32_t v) { return EmfWriter::u32(v); }
    static std::string floats(std::initializer_list<float> values) {
        std::string s;
        for (float v : values) {
            s += f32(v);
        }
        return s;
    }

    EmfPlusWriter& rec(std::uint16_t type, std::uint16_t flags, std::string data = {}) {
        while (data.size() % 4) {
            data += '\0';
        }
        records_ += EmfWriter::i16(type) + EmfWriter::i16(flags) +
                    u32(static_cast<std::uint32_t>(12 + data.size())) +
                    u32(static_cast<std::uint32_t>(data.size())) + data;
        return *this;
    }
    static std::string rect(float x, float y, float w, float h) { return floats({x, y, w, h}); }

    // The header: dual (plain records follow as a stand-in) or EMF+ only, recorded for a video
    // display of the dpi.
    EmfPlusWriter& header(bool dual, std::uint32_t dpi = 96) {
        return rec(emfplus_records::kHeader, dual ? 1 : 0, u32(0xDBC01002) + u32(1) + u32(dpi) + u32(dpi));
    }
    // FillRects of one rectangle in a colour.
    EmfPlusWriter& fillRect(std::uint32_t argb, float x, float y, float w, float h) {
        return rec(emfplus_records::kFillRects, emfplus_records::kColour,
                   u32(argb) + u32(1) + rect(x, y, w, h));
    }
    EmfPlusWriter& object(int id, int type, const std::string& data) {
        return rec(emfplus_records::kObject, static_cast<std::uint16_t>(id | type << 8), data);
    }
    // An object split into pieces of at most piece bytes over records with the continue flag, each
    // with the total size: before the data size (totalFirst) or as the first bytes of the data. The
    // last piece carries the flag too when lastFlagged.
    EmfPlusWriter& continuedObject(int id, int type, const std::string& data, std::size_t piece,
                                   bool totalFirst, bool lastFlagged) {
        const auto total = static_cast<std::uint32_t>(data.size());
        for (std::size_t at = 0; at < data.size(); at += piece) {
            std::string part = data.substr(at, piece);
            const bool last = at + piece >= data.size();
            const auto flags = static_cast<std::uint16_t>(
                id | type << 8 | (last && !lastFlagged ? 0 : emfplus_records::kContinued));
            if (last && !lastFlagged) {
                rec(emfplus_records::kObject, flags, part);
                continue;
            }
            while (part.size() % 4) {
                part += '\0';
            }
            const auto size = static_cast<std::uint32_t>(16 + part.size());
            records_ += EmfWriter::i16(emfplus_records::kObject) + EmfWriter::i16(flags) + u32(size) +
                        (totalFirst ? u32(total) + u32(size - 16) : u32(size - 12) + u32(total)) + part;
        }
        return *this;
    }
    // Object data of the common kinds.
    static std::string solidBrush(std::uint32_t argb) { return u32(0xDBC01002) + u32(0) + u32(argb); }
    static std::string pen(float width, std::uint32_t argb, std::uint32_t flags = 0,
                           const std::string& optional = {}) {
        return u32(0xDBC01002) + u32(0) + u32(flags) + u32(0) + f32(width) + optional + solidBrush(argb);
    }
    // Image objects: a metafile (3 an enhanced one, 2 a placeable WMF) or an image file (PNG, …).
    static std::string metafileImage(std::uint32_t kind, const std::string& bytes) {
        return u32(0xDBC01002) + u32(2) + u32(kind) + u32(static_cast<std::uint32_t>(bytes.size())) + bytes;
    }
    static std::string fileImage(int width, int height, const std::string& bytes) {
        return u32(0xDBC01002) + u32(1) + u32(static_cast<std::uint32_t>(width)) +
               u32(static_cast<std::uint32_t>(height)) + u32(0) + u32(0) + u32(1) + bytes;
    }
    static std::string path(const std::vector<std::pair<float, float>>& points, const std::string& types) {
        std::string s = u32(0xDBC01002) + u32(static_cast<std::uint32_t>(points.size())) + u32(0);
        for (const auto& [x, y] : points) {
            s += f32(x) + f32(y);
        }
        return s + types;
    }
    // A bold font, its size in pixels or another unit (3 points).
    static std::string font(float emSize, const std::u16string& family, std::uint32_t unit = 2) {
        std::string s = u32(0xDBC01002) + f32(emSize) + u32(unit) + u32(1) + u32(0) +
                        u32(static_cast<std::uint32_t>(family.size()));
        for (char16_t c : family) {
            s += EmfWriter::i16(c);
        }
        return s;
    }

    // A string format: its flags, then alignment along and across the lines (0 near, 1 centre, 2 far).
    static std::string stringFormat(std::uint32_t flags, std::uint32_t alignment,
                                    std::uint32_t lineAlignment) {
        std::string s = u32(0xDBC01002) + u32(flags) + u32(0) + u32(alignment) + u32(lineAlignment);
        for (int field = 0; field < 10; ++field) { // digits, tabs, margins, tracking, trimming, ranges
            s += u32(0);
        }
        return s;
    }

    // One comment holding the records written so far; the writer starts afresh.
    std::string comment() {
        std::string data = u32(static_cast<std::uint32_t>(4 + records_.size())) + "EMF+" + records_;
        records_.clear();
        return data;
    }

  private:
    std::string records_;
};
