#include "report/pdf_fonts.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include "report/utf8_text.h"

namespace nimbra {

namespace {

// Family names asked of fontconfig, best first. The Windows names come first so that an
// installed original face or a fontconfig alias wins over our Debian stand-ins.
constexpr const char* kLatinFamilies[] = {"Times New Roman", "Liberation Serif"};
constexpr const char* kChineseFamilies[] = {"\u9ED1\u4F53", "SimHei", "WenQuanYi Zen Hei",
                                            "Noto Sans CJK SC", "Noto Serif CJK SC"};

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternHandle = std::unique_ptr<FcPattern, PatternDeleter>;

}  // namespace

struct PdfFonts::Face {
    PatternHandle pattern;         // the font, prepared for rendering
    FcCharSet* charset = nullptr;  // owned by `pattern`
    cairo_font_face_t* fontFace = nullptr;
    cairo_scaled_font_t* scaled = nullptr;
};

std::unique_ptr<PdfFonts> PdfFonts::load(bool chinese, double size, std::string& error) {
    if (FcInit() == FcFalse) {
        error = "The font configuration cannot be read.";
        return nullptr;
    }
    const PatternHandle request(FcPatternCreate());
    if (chinese) {
        for (const char* family : kChineseFamilies) {
            FcPatternAddString(request.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
        }
        FcPatternAddString(request.get(), FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
    } else {
        for (const char* family : kLatinFamilies) {
            FcPatternAddString(request.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
        }
    }
    FcConfigSubstitute(nullptr, request.get(), FcMatchPattern);
    FcDefaultSubstitute(request.get());
    FcResult result = FcResultNoMatch;
    FcFontSet* sorted = FcFontSort(nullptr, request.get(), FcTrue, nullptr, &result);
    std::unique_ptr<PdfFonts> fonts(new PdfFonts);
    fonts->m_size = size;
    if (sorted != nullptr) {
        for (int i = 0; i < sorted->nfont; ++i) {
            Face face;
            face.pattern.reset(FcFontRenderPrepare(nullptr, request.get(), sorted->fonts[i]));
            if (!face.pattern || FcPatternGetCharSet(face.pattern.get(), FC_CHARSET, 0,
                                                     &face.charset) != FcResultMatch) {
                continue;
            }
            fonts->m_faces.push_back(std::move(face));
        }
        FcFontSetDestroy(sorted);
    }
    if (fonts->m_faces.empty() || fonts->openFace(0) == nullptr) {
        error = "No font is installed to draw the table with.";
        return nullptr;
    }
    return fonts;
}

PdfFonts::~PdfFonts() {
    for (Face& face : m_faces) {
        if (face.scaled != nullptr) {
            cairo_scaled_font_destroy(face.scaled);
        }
        if (face.fontFace != nullptr) {
            cairo_font_face_destroy(face.fontFace);
        }
    }
}

cairo_scaled_font_t* PdfFonts::openFace(int index) {
    Face& face = m_faces[static_cast<std::size_t>(index)];
    if (face.scaled == nullptr) {
        face.fontFace = cairo_ft_font_face_create_for_pattern(face.pattern.get());
        cairo_matrix_t fontMatrix;
        cairo_matrix_init_scale(&fontMatrix, m_size, m_size);
        cairo_matrix_t identity;
        cairo_matrix_init_identity(&identity);
        cairo_font_options_t* options = cairo_font_options_create();
        // Outlines as designed: no hinting, so advances are the same at every resolution.
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        face.scaled = cairo_scaled_font_create(face.fontFace, &fontMatrix, &identity, options);
        cairo_font_options_destroy(options);
        if (cairo_scaled_font_status(face.scaled) != CAIRO_STATUS_SUCCESS) {
            cairo_scaled_font_destroy(face.scaled);
            face.scaled = nullptr;
        }
    }
    return face.scaled;
}

int PdfFonts::faceCount() const {
    return static_cast<int>(m_faces.size());
}

cairo_scaled_font_t* PdfFonts::scaledFont(int face) {
    return openFace(face);
}

int PdfFonts::faceFor(char32_t c) {
    for (std::size_t i = 0; i < m_faces.size(); ++i) {
        if (FcCharSetHasChar(m_faces[i].charset, c) == FcTrue &&
            openFace(static_cast<int>(i)) != nullptr) {
            return static_cast<int>(i);
        }
    }
    return 0;  // no face has it: the first face's missing-glyph box
}

const PdfFonts::Glyph& PdfFonts::glyph(char32_t c) {
    if (c < 128 && m_asciiKnown[c]) {
        return m_ascii[c];
    }
    if (c >= 128) {
        if (const auto found = m_glyphs.find(c); found != m_glyphs.end()) {
            return found->second;
        }
    }
    Glyph glyph;
    glyph.face = faceFor(c);
    cairo_scaled_font_t* scaled = openFace(glyph.face);
    FT_Face ftFace = cairo_ft_scaled_font_lock_face(scaled);
    glyph.index = ftFace != nullptr ? FT_Get_Char_Index(ftFace, c) : 0;
    cairo_ft_scaled_font_unlock_face(scaled);
    cairo_glyph_t probe{glyph.index, 0.0, 0.0};
    cairo_text_extents_t extents;
    cairo_scaled_font_glyph_extents(scaled, &probe, 1, &extents);
    glyph.advance = extents.x_advance;
    if (c < 128) {
        m_ascii[c] = glyph;
        m_asciiKnown[c] = true;
        return m_ascii[c];
    }
    return m_glyphs.emplace(c, glyph).first->second;
}

std::string PdfFonts::primaryFamily() const {
    FcChar8* family = nullptr;
    if (FcPatternGetString(m_faces.front().pattern.get(), FC_FAMILY, 0, &family) != FcResultMatch) {
        return {};
    }
    return reinterpret_cast<const char*>(family);
}

bool PdfFonts::primaryCovers(std::string_view text) const {
    bool covered = true;
    forEachCodePoint(text, [this, &covered](char32_t c) {
        covered = covered && FcCharSetHasChar(m_faces.front().charset, c) == FcTrue;
    });
    return covered;
}

}  // namespace nimbra
