#pragma once

#include <cairo.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace nimbra {

// The faces the PDF table is drawn with: the face of the user's language first ("Times
// New Roman", served by Liberation Serif; for Chinese the Hei face, served by an installed
// CJK face), then, for any character that face lacks, the first installed face that has
// it, so no text of any language is drawn as empty boxes.
class PdfFonts {
public:
    struct Glyph {
        int face = 0;             // index into the faces
        unsigned long index = 0;  // glyph of that face
        double advance = 0.0;     // horizontal advance at the table's size
    };

    // Nothing, with `error` set, when no face at all can be found.
    static std::unique_ptr<PdfFonts> load(bool chinese, double size, std::string& error);
    ~PdfFonts();
    PdfFonts(const PdfFonts&) = delete;
    PdfFonts& operator=(const PdfFonts&) = delete;

    const Glyph& glyph(char32_t c);
    cairo_scaled_font_t* scaledFont(int face);
    int faceCount() const;

    // The family name of the first face, and whether it has every character of `text`.
    std::string primaryFamily() const;
    bool primaryCovers(std::string_view text) const;

private:
    struct Face;
    PdfFonts() = default;
    int faceFor(char32_t c);
    cairo_scaled_font_t* openFace(int face);

    double m_size = 0.0;
    std::vector<Face> m_faces;
    std::unordered_map<char32_t, Glyph> m_glyphs;
    Glyph m_ascii[128];
    bool m_asciiKnown[128] = {};
};

}  // namespace nimbra
