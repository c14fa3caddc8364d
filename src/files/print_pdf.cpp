// files/print_pdf.cpp — laid-out pages as a PDF document, for printing without a desktop.
//
// The batch tool prints to a PDF file. Each row of a page is set as its fixed-width text in the
// Courier face (the row's text of the border columns, then of the strip), the header and footer
// in the same face in their bands, with the rules and the margin frame the options ask for.
// Texts are Windows-1252, which is the PDF's WinAnsi encoding, so bytes go out unchanged.
// Reads: the current worksheet (cells, layout, options, file name), the platform's clock.
#include <cstdio>
#include <string>
#include <vector>

#include "core/format.h"
#include "core/global_options.h"
#include "files/print_layout.h"

namespace {

// A PDF real with two decimals.
std::string Num(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2f", v);
  return buffer;
}

std::string PdfString(std::string_view text) {
  std::string out = "(";
  for (char c : text) {
    if (c == '(' || c == ')' || c == '\\') out += '\\';
    if (c == '\r' || c == '\n') c = ' ';
    out += c;
  }
  return out + ")";
}

class PageWriter {
 public:
  explicit PageWriter(PageSize page) : page_(page) {}

  // Text at x (left edge) with its baseline at y, both in logical units.
  void Text(double x, double y, double points, std::string_view text) {
    if (text.empty()) return;
    out_ += "BT /F1 " + Num(points) + " Tf " + Num(X(x)) + " " + Num(Y(y)) + " Td " +
            PdfString(text) + " Tj ET\n";
  }
  void Line(double x1, double y1, double x2, double y2) {
    out_ += Num(X(x1)) + " " + Num(Y(y1)) + " m " + Num(X(x2)) + " " + Num(Y(y2)) + " l S\n";
  }
  void Frame(double x, double y, double w, double h) {
    out_ += Num(X(x)) + " " + Num(Y(y + h)) + " " + Num(w * kPoint) + " " + Num(h * kPoint) +
            " re S\n";
  }
  std::string Take() { return std::move(out_); }

  static constexpr double kPoint = 72.0 / kPrintUnitsPerInch;  // points per logical unit

 private:
  double X(double x) const { return x * kPoint; }
  double Y(double y) const { return (page_.height - y) * kPoint; }
  PageSize page_;
  std::string out_;
};

// The width in logical units of `chars` Courier characters at `points`.
double CourierWidth(size_t chars, double points) {
  return double(chars) * 0.6 * points / PageWriter::kPoint;
}

void DrawParts(PageWriter& w, const PageLayout& l, PageSize page, double baseline,
               const PrintTextParts& parts, double points) {
  const double right = page.width - l.right;
  w.Text(l.left, baseline, points, parts.left);
  w.Text(l.left + (l.usableWidth - CourierWidth(parts.centre.size(), points)) / 2, baseline,
         points, parts.centre);
  w.Text(right - CourierWidth(parts.right.size(), points), baseline, points, parts.right);
}

std::string PageContents(const PageLayout& l, PageSize page, const PrintedPage& p, int number) {
  const GlobalOptions& o = Options();
  PageWriter w(page);
  const double cellPoints = 8.0 * l.scale / 100;
  double y = l.BodyTop();
  auto row = [&](uint32_t r) {
    std::string text;
    if (!l.borderColumns.empty()) {
      text = RowAsText(r, l.borderColumns.front(), l.borderColumns.back(), kMaxDisplayText * 64);
    }
    text += RowAsText(r, p.firstColumn, p.lastColumn, kMaxDisplayText * 64);
    const size_t end = text.find_last_not_of(' ');
    text.resize(end == std::string::npos ? 0 : end + 1);
    const int h = l.RowHeight(r);
    w.Text(l.left, y + h * 0.8, cellPoints, text);
    y += h;
  };
  for (uint32_t r : l.borderRows) row(r);
  for (uint32_t r : p.rows) row(r);

  const int h = l.lineHeight;
  const double textPoints = h * PageWriter::kPoint * 0.75;
  const PrintCodeValues values = CurrentPrintCodeValues(number);
  DrawParts(w, l, page, l.top + h * 1.25, ExpandPrintCodes(o.header(), values), textPoints);
  DrawParts(w, l, page, page.height - l.bottom - h * 0.5, ExpandPrintCodes(o.footer(), values),
            textPoints);
  const double right = page.width - l.right;
  if (o.headerRule()) w.Line(l.left, l.top + h * 1.75, right, l.top + h * 1.75);
  if (o.footerRule()) {
    const double at = page.height - l.bottom - h * 1.75;
    w.Line(l.left, at, right, at);
  }
  if (o.printFrame()) {
    w.Frame(l.left, l.top, l.usableWidth, page.height - l.top - l.bottom);
  }
  return w.Take();
}

}  // namespace

std::string PrintedPagesPdf(const PageLayout& layout, PageSize page) {
  // Objects: 1 catalogue, 2 page tree, 3 font, then a page and its contents for each page.
  std::vector<std::string> objects(3);
  const size_t count = layout.pages.size();
  std::string kids;
  for (size_t i = 0; i < count; ++i) kids += std::to_string(4 + 2 * i) + " 0 R ";
  objects[0] = "<< /Type /Catalog /Pages 2 0 R >>";
  objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(count) + " >>";
  objects[2] = "<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Encoding /WinAnsiEncoding >>";
  const std::string box = "[0 0 " + Num(page.width * PageWriter::kPoint) + " " +
                          Num(page.height * PageWriter::kPoint) + "]";
  for (size_t i = 0; i < count; ++i) {
    objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox " + box +
                      " /Resources << /Font << /F1 3 0 R >> >> /Contents " +
                      std::to_string(5 + 2 * i) + " 0 R >>");
    const std::string stream = PageContents(layout, page, layout.pages[i], int(i + 1));
    objects.push_back("<< /Length " + std::to_string(stream.size()) + " >>\nstream\n" + stream +
                      "endstream");
  }
  std::string out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::vector<size_t> offsets;
  for (size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(out.size());
    out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const size_t xref = out.size();
  out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  char entry[32];
  for (size_t offset : offsets) {
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
    out += entry;
  }
  out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
         " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return out;
}
