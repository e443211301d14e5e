#include "report/history_pdf.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <memory>
#include <vector>

#include "report/output_file.h"
#include "report/pdf_fonts.h"
#include "report/utf8_text.h"

namespace nimbra {

namespace {

using namespace pdf_table;

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using SurfaceHandle = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using ContextHandle = std::unique_ptr<cairo_t, ContextDeleter>;

cairo_status_t writeToFile(void* closure, const unsigned char* data, unsigned int length) {
    return static_cast<OutputFile*>(closure)->write(data, length) ? CAIRO_STATUS_SUCCESS
                                                                  : CAIRO_STATUS_WRITE_ERROR;
}

// Cairo's y axis runs down the page.
constexpr double down(double y) {
    return kPageHeight - y;
}

constexpr double textX(int column) {
    return kRules[column] + 5;
}

// The glyphs of one page, gathered per face so that each face is shown in one call.
class PageText {
public:
    explicit PageText(PdfFonts& fonts) : m_fonts(fonts), m_runs(fonts.faceCount()) {}

    void add(std::string_view text, double x, double y) {
        forEachCodePoint(text, [&](char32_t c) {
            const PdfFonts::Glyph& g = m_fonts.glyph(c);
            m_runs[static_cast<std::size_t>(g.face)].push_back({g.index, x, down(y)});
            x += g.advance;
        });
    }

    void show(cairo_t* cr) {
        for (std::size_t face = 0; face < m_runs.size(); ++face) {
            auto& glyphs = m_runs[face];
            if (!glyphs.empty()) {
                cairo_set_scaled_font(cr, m_fonts.scaledFont(static_cast<int>(face)));
                cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
                glyphs.clear();
            }
        }
    }

private:
    PdfFonts& m_fonts;
    std::vector<std::vector<cairo_glyph_t>> m_runs;
};

void drawRules(cairo_t* cr) {
    const double top = 1445;
    const double bottom = 50;
    const double left = kRules[0];
    const double right = kRules[std::size(kRules) - 1];
    const auto line = [cr](double x1, double y1, double x2, double y2) {
        cairo_move_to(cr, x1, down(y1));
        cairo_line_to(cr, x2, down(y2));
    };
    line(left, top, left, bottom);
    line(right, top, right, bottom);
    for (double y = bottom; y <= top; y += kRowPitch) {
        if (y != 1430) {  // the two heading lines share one band
            line(left, y, right, y);
        }
    }
    for (std::size_t i = 1; i + 1 < std::size(kRules); ++i) {
        line(kRules[i], top, kRules[i], bottom);
    }
    cairo_stroke(cr);
}

void setDocumentInformation(cairo_surface_t* surface) {
    for (const auto entry :
         {CAIRO_PDF_METADATA_CREATOR, CAIRO_PDF_METADATA_AUTHOR, CAIRO_PDF_METADATA_TITLE,
          CAIRO_PDF_METADATA_SUBJECT, CAIRO_PDF_METADATA_KEYWORDS}) {
        cairo_pdf_surface_set_metadata(surface, entry, "x");
    }
}

std::string cairoError(cairo_status_t status, const OutputFile& out) {
    return !out.error().empty()
               ? out.error()
               : std::string("The PDF could not be drawn: ") + cairo_status_to_string(status);
}

}  // namespace

ExportResult writeHistoryPdf(const std::filesystem::path& file, const HistoryTable& table,
                             HistoryRowSource& rows, bool chinese, const ExportProgress& progress) {
    HistoryCells cells;
    bool more = rows.next(cells);
    if (!more) {
        return rows.failed() ? ExportResult{ExportOutcome::failed, "The history could not be read."}
                             : ExportResult{ExportOutcome::noRows, {}};
    }
    std::string error;
    const std::unique_ptr<PdfFonts> fonts = PdfFonts::load(chinese, kFontSize, error);
    if (!fonts) {
        return {ExportOutcome::failed, error};
    }
    OutputFile out(file, error);
    if (!out.isOpen()) {
        return {ExportOutcome::failed, error};
    }
    // Destroyed before `out`: finishing the surface still writes to the file.
    const SurfaceHandle surface(
        cairo_pdf_surface_create_for_stream(writeToFile, &out, kPageWidth, kPageHeight));
    cairo_pdf_surface_restrict_to_version(surface.get(), CAIRO_PDF_VERSION_1_4);
    setDocumentInformation(surface.get());
    const ContextHandle cr(cairo_create(surface.get()));
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
        return {ExportOutcome::failed, cairoError(cairo_status(cr.get()), out)};
    }

    PageText text(*fonts);
    const std::int64_t total = rows.size();
    std::int64_t written = 0;
    while (more) {
        cairo_set_line_width(cr.get(), kLineWidth);
        cairo_set_source_rgb(cr.get(), 0, 0, 0);
        drawRules(cr.get());
        for (int column = 0; column < kHistoryColumns; ++column) {
            const auto c = static_cast<std::size_t>(column);
            text.add(table.pdfLine1()[c], textX(column), kHeaderLine1);
            text.add(table.pdfLine2()[c], textX(column), kHeaderLine2);
        }
        for (int k = 1; more && k <= kRowsPerPage; ++k) {
            for (int column = 0; column < kHistoryColumns; ++column) {
                text.add(cells[static_cast<std::size_t>(column)], textX(column), rowBaseline(k));
            }
            ++written;
            more = rows.next(cells);
        }
        text.show(cr.get());
        cairo_show_page(cr.get());
        if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
            return {ExportOutcome::failed, cairoError(cairo_status(cr.get()), out)};
        }
        if (progress && !progress(written, total)) {
            return {ExportOutcome::cancelled, {}};
        }
    }
    if (rows.failed()) {
        return {ExportOutcome::failed, "The history could not be read to its end."};
    }
    cairo_surface_finish(surface.get());
    if (const cairo_status_t status = cairo_surface_status(surface.get());
        status != CAIRO_STATUS_SUCCESS) {
        return {ExportOutcome::failed, cairoError(status, out)};
    }
    if (!out.keep()) {
        return {ExportOutcome::failed, out.error()};
    }
    return {};
}

}  // namespace nimbra
