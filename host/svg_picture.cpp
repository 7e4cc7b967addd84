#include "svg_picture.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <numeric>
#include <set>
#include <string_view>
#include <vector>

#include "nox/format.h"

namespace kmcdoc {
namespace {

// Page layout, in pixels.
constexpr double kDrawingSize = 640;  // the longer side of the lattice drawing
constexpr double kMargin = 30;
constexpr double kTitleBand = 64;
constexpr double kLegendWidth = 260;
constexpr double kLegendLine = 20;
constexpr double kScaleBand = 60;
constexpr double kFontSize = 12;

constexpr double kImageOpacity = 0.3;      // symmetry images of a process
constexpr double kUnderlayOpacity = 0.45;  // the sites under a process

// Six significant digits, without locale: enough for a drawing, short enough for a large patch.
std::string Num(double value) {
    std::array<char, 32> text{};
    const auto end =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::general, 6).ptr;
    return std::string(text.data(), end);
}

std::string Hex(LONG color) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text = "#";
    for (int channel = 0; channel < 3; ++channel) {  // red in the low byte
        const auto value = static_cast<unsigned>(color >> (8 * channel)) & 0xFFu;
        text += kDigits[value >> 4];
        text += kDigits[value & 0xF];
    }
    return text;
}

std::string Escape(std::string_view text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

enum class Glyph { Circle, Square, Diamond, Ring, DashedRing, Arrow };

struct LegendEntry {
    Glyph glyph;
    std::string color;
    std::string text;
    double opacity = 1;
};

constexpr const char* kKindClasses[] = {"adsorption", "substrate", "label"};
constexpr const char* kKindTags[] = {"circle", "rect", "polygon"};
constexpr const char* kKindNames[] = {"adsorption site", "substrate site", "label"};
constexpr Glyph kKindGlyphs[] = {Glyph::Circle, Glyph::Square, Glyph::Diamond};

struct RoleStyle {
    const char* name;
    const char* color;
    const char* legend;
};
constexpr RoleStyle kRoleStyles[] = {
    {"source", "#d62728", "source: the species leaves"},
    {"destination", "#1f77b4", "destination: the species arrives"},
    {"reaction", "#9467bd", "reaction: the occupant is replaced"},
    {"enabling", "#2ca02c", "enabling: must hold the species"},
};

const RoleStyle& StyleOf(DrawnSite::Role role) { return kRoleStyles[static_cast<int>(role)]; }

// The attributes that place a site's mark: a circle, a square or a diamond of the template's radius.
std::string ShapeAttributes(LONG kind, const AtomView& view) {
    const double x = view.x, y = view.y, r = view.radius;
    if (kind == KMCDocHelpers::kSubstrateKind)
        return " x=\"" + Num(x - r) + "\" y=\"" + Num(y - r) + "\" width=\"" + Num(2 * r) + "\" height=\"" +
               Num(2 * r) + "\"";
    if (kind == KMCDocHelpers::kLabelKind)
        return " points=\"" + Num(x) + " " + Num(y + r) + " " + Num(x + r) + " " + Num(y) + " " + Num(x) +
               " " + Num(y - r) + " " + Num(x - r) + " " + Num(y) + "\"";
    return " cx=\"" + Num(x) + "\" cy=\"" + Num(y) + "\" r=\"" + Num(r) + "\"";
}

std::string SiteText(const DrawnSite& site) {
    switch (site.role) {
        case DrawnSite::Role::Source:
            return site.source + " \u2192";
        case DrawnSite::Role::Destination:
            return "\u2192 " + site.result;
        case DrawnSite::Role::Reaction:
            return site.source + " \u2192 " + site.result;
        case DrawnSite::Role::Enabling:
            return "needs " + site.source;
    }
    return {};
}

// The longest of 1, 2 and 5 times a power of ten that is not longer than `length`.
double RoundLength(double length) {
    const double power = std::pow(10.0, std::floor(std::log10(length)));
    for (double step : {5.0, 2.0}) {
        if (step * power <= length) return step * power;
    }
    return power;
}

struct Box {
    static constexpr double kInfinity = std::numeric_limits<double>::infinity();
    double xmin = kInfinity, ymin = kInfinity;
    double xmax = -kInfinity, ymax = -kInfinity;
    void Add(Point p) {
        xmin = std::min(xmin, p.x), xmax = std::max(xmax, p.x);
        ymin = std::min(ymin, p.y), ymax = std::max(ymax, p.y);
    }
    double Width() const { return xmax - xmin; }
    double Height() const { return ymax - ymin; }
};

// One picture: the drawing in lattice units, then the page around it.
class Canvas {
public:
    explicit Canvas(const ModelPatch& patch) : patch_(patch), mark_(MarkRadius(patch.layout)) {
        for (const PatchSite& site : patch.sites) views_.push_back(ViewAtom(*site.atom));
        const CellRange& c = patch.cells;
        for (LONG i : {c.firstI, c.firstI + c.countI})
            for (LONG j : {c.firstJ, c.firstJ + c.countJ}) box_.Add(patch.layout.Cartesian(i, j));
        const double pad = 3 * mark_;
        box_.xmin -= pad, box_.ymin -= pad, box_.xmax += pad, box_.ymax += pad;
        scale_ = kDrawingSize / std::max(box_.Width(), box_.Height());
    }

    void Cells() {
        const CellRange& c = patch_.cells;
        std::string grid;
        for (LONG i = c.firstI; i <= c.firstI + c.countI; ++i)
            grid += Segment(Corner(i, c.firstJ), Corner(i, c.firstJ + c.countJ));
        for (LONG j = c.firstJ; j <= c.firstJ + c.countJ; ++j)
            grid += Segment(Corner(c.firstI, j), Corner(c.firstI + c.countI, j));
        body_ += "<path class=\"cells\" fill=\"none\" stroke=\"#b8b8b8\" stroke-width=\"" + Num(Px(1)) +
                 "\" d=\"" + grid + "\"/>\n";
        body_ += "<path class=\"reference-cell\" fill=\"none\" stroke=\"#555555\" stroke-width=\"" +
                 Num(Px(1.6)) + "\" d=\"" + Segment(Corner(0, 0), Corner(1, 0)) + "L" +
                 PointText(Corner(1, 1)) + "L" + PointText(Corner(0, 1)) + "Z\"/>\n";
    }

    void Vectors() {
        for (const auto& [name, tip] : {std::pair{"a", Corner(1, 0)}, std::pair{"b", Corner(0, 1)}}) {
            body_ += "<line class=\"vector\" x1=\"0\" y1=\"0\" x2=\"" + Num(tip.x) + "\" y2=\"" + Num(tip.y) +
                     "\" stroke=\"#222222\" stroke-width=\"" + Num(Px(2)) +
                     "\" marker-end=\"url(#head-vector)\"/>\n";
            Text({tip.x + Px(4), tip.y + Px(4)}, name, "#222222", "start", true);
        }
    }

    void Sites(double opacity) {
        std::vector<size_t> order(views_.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return views_[a].z < views_[b].z; });
        body_ += "<g class=\"sites\" opacity=\"" + Num(opacity) + "\" stroke=\"#333333\" stroke-width=\"" +
                 Num(Px(0.8)) + "\">\n";
        for (size_t k : order) Site(patch_.sites[k], views_[k]);
        body_ += "</g>\n";
    }

    void SiteNumbers() {
        for (size_t k = 0; k < views_.size(); ++k) {
            const PatchSite& site = patch_.sites[k];
            if (site.i != 0 || site.j != 0) continue;
            const AtomView& view = views_[k];
            Text({view.x + 0.8 * view.radius, view.y + 0.8 * view.radius}, std::to_string(site.n), "#000000",
                 "start", false);
        }
    }

    // A process's sites, its arrows and, with labels, the species at each site.
    void Process(const std::vector<DrawnSite>& sites, double opacity, bool labelled) {
        body_ += "<g class=\"" + std::string(labelled ? "process" : "symmetry-image") + "\" opacity=\"" +
                 Num(opacity) + "\">\n";
        for (const DrawnSite& site : sites)
            if (const AtomView* view = Find(site)) Ring(site, *view, labelled);
        for (const DrawnSite& to : sites)
            if (to.role == DrawnSite::Role::Destination) ArrowToward(sites, to);
        body_ += "</g>\n";
    }

    // The legend entries for the templates in use (in the order of first use) and the kinds.
    std::vector<LegendEntry> TemplateLegend() const {
        std::vector<LegendEntry> entries;
        std::set<std::string> named;
        std::array<bool, 3> kinds{};
        for (size_t k = 0; k < views_.size(); ++k) {
            kinds[static_cast<size_t>(patch_.sites[k].kind)] = true;
            if (named.insert(views_[k].name).second)
                entries.push_back({Glyph::Circle, Hex(views_[k].color), views_[k].name});
        }
        for (size_t kind = 0; kind < kinds.size(); ++kind)
            if (kinds[kind]) entries.push_back({kKindGlyphs[kind], "#ffffff", kKindNames[kind]});
        return entries;
    }

    std::string Page(const std::string& title, const std::string& subtitle,
                     const std::vector<LegendEntry>& legend) const {
        const double drawingWidth = box_.Width() * scale_, drawingHeight = box_.Height() * scale_;
        const double legendLeft = 2 * kMargin + drawingWidth;
        const double width = legendLeft + kLegendWidth;
        const double height =
            kTitleBand + std::max(drawingHeight + kScaleBand, kLegendLine * (legend.size() + 1.0) + kMargin);
        std::string page =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
            Num(width) + "\" height=\"" + Num(height) + "\" viewBox=\"0 0 " + Num(width) + " " + Num(height) +
            "\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"" + Num(kFontSize) + "\">\n";
        page += "<title>" + Escape(title) + "</title>\n" + Definitions();
        page += "<rect width=\"" + Num(width) + "\" height=\"" + Num(height) + "\" fill=\"#ffffff\"/>\n";
        page += "<text class=\"title\" x=\"" + Num(kMargin) +
                "\" y=\"28\" font-size=\"17\" font-weight=\"bold\">" + Escape(title) + "</text>\n";
        page += "<text class=\"subtitle\" x=\"" + Num(kMargin) + "\" y=\"50\" fill=\"#444444\">" +
                Escape(subtitle) + "</text>\n";
        page += "<g id=\"lattice\" transform=\"matrix(" + Num(scale_) + " 0 0 " + Num(-scale_) + " " +
                Num(kMargin - box_.xmin * scale_) + " " + Num(kTitleBand + box_.ymax * scale_) + ")\">\n" +
                body_ + "</g>\n";
        page += Legend(legend, legendLeft, kTitleBand);
        page += ScaleBar(kMargin, kTitleBand + drawingHeight + kScaleBand / 2);
        return page + "</svg>\n";
    }

private:
    double Px(double pixels) const { return pixels / scale_; }
    Point Corner(LONG i, LONG j) const { return patch_.layout.Cartesian(i, j); }
    static std::string PointText(Point p) { return Num(p.x) + " " + Num(p.y); }
    static std::string Segment(Point from, Point to) { return "M" + PointText(from) + "L" + PointText(to); }

    const AtomView* Find(const DrawnSite& site) const {
        const PatchSite* found = patch_.Find(site.i, site.j, site.n);
        return found == nullptr ? nullptr : &views_[static_cast<size_t>(found - patch_.sites.data())];
    }

    // Text in lattice units, upright on the page.
    void Text(Point at, const std::string& text, const char* color, const char* anchor, bool bold) {
        body_ += "<text transform=\"translate(" + PointText(at) + ") scale(1 -1)\" font-size=\"" +
                 Num(Px(kFontSize)) + "\" fill=\"" + color + "\" text-anchor=\"" + anchor + "\"" +
                 (bold ? " font-weight=\"bold\"" : "") + ">" + Escape(text) + "</text>\n";
    }

    void Site(const PatchSite& site, const AtomView& view) {
        const char* tag = kKindTags[site.kind];
        const std::string address =
            std::to_string(site.i) + " " + std::to_string(site.j) + " " + std::to_string(site.n);
        body_ += std::string("<") + tag + " class=\"site " + kKindClasses[site.kind] + "\" data-site=\"" +
                 address + "\" fill=\"" + Hex(view.color) + "\"" + ShapeAttributes(site.kind, view) +
                 "><title>" + Escape(view.name) + " (" + address + ")</title></" + tag + ">\n";
    }

    double RingRadius() const { return 1.6 * mark_; }

    void Ring(const DrawnSite& site, const AtomView& view, bool labelled) {
        const RoleStyle& style = StyleOf(site.role);
        body_ += "<circle class=\"process-site " + std::string(style.name) + "\" cx=\"" + Num(view.x) +
                 "\" cy=\"" + Num(view.y) + "\" r=\"" + Num(RingRadius()) + "\" fill=\"none\" stroke=\"" +
                 style.color + "\" stroke-width=\"" + Num(Px(2.5)) + "\"" +
                 (site.role == DrawnSite::Role::Enabling
                      ? " stroke-dasharray=\"" + Num(Px(5)) + " " + Num(Px(3)) + "\""
                      : "") +
                 "/>\n";
        if (labelled)
            Text({view.x, view.y - RingRadius() - Px(kFontSize + 2)}, SiteText(site), style.color, "middle",
                 true);
    }

    // An arrow to a destination from the nearest source.
    void ArrowToward(const std::vector<DrawnSite>& sites, const DrawnSite& to) {
        const AtomView* end = Find(to);
        const AtomView* start = nullptr;
        double shortest = std::numeric_limits<double>::infinity();
        for (const DrawnSite& from : sites) {
            const AtomView* candidate = from.role == DrawnSite::Role::Source ? Find(from) : nullptr;
            if (candidate == nullptr || end == nullptr) continue;
            const double distance = std::hypot(candidate->x - end->x, candidate->y - end->y);
            if (distance < shortest) shortest = distance, start = candidate;
        }
        if (start == nullptr || shortest <= 2 * RingRadius()) return;
        const double ux = (end->x - start->x) / shortest, uy = (end->y - start->y) / shortest;
        const double gap = RingRadius() + Px(2);
        body_ += "<line class=\"arrow\" x1=\"" + Num(start->x + ux * gap) + "\" y1=\"" +
                 Num(start->y + uy * gap) + "\" x2=\"" + Num(end->x - ux * gap) + "\" y2=\"" +
                 Num(end->y - uy * gap) + "\" stroke=\"" + kRoleStyles[1].color + "\" stroke-width=\"" +
                 Num(Px(2.5)) + "\" marker-end=\"url(#head-arrow)\"/>\n";
    }

    static std::string Definitions() {
        std::string defs = "<defs>\n";
        for (const auto& [id, color] :
             {std::pair{"head-vector", "#222222"}, std::pair{"head-arrow", kRoleStyles[1].color}})
            defs += std::string("<marker id=\"") + id +
                    "\" viewBox=\"0 0 10 10\" refX=\"8\" refY=\"5\" markerWidth=\"5\" "
                    "markerHeight=\"5\" orient=\"auto\"><path d=\"M0,0L10,5L0,10z\" fill=\"" +
                    color + "\"/></marker>\n";
        return defs + "</defs>\n";
    }

    static std::string LegendGlyph(const LegendEntry& entry, double y) {
        const std::string fill = " fill=\"" + entry.color + "\" stroke=\"#333333\"";
        const std::string ring = " cx=\"8\" cy=\"" + Num(y) +
                                 "\" r=\"6\" fill=\"none\" stroke-width=\"2.5\" stroke=\"" + entry.color +
                                 "\"";
        switch (entry.glyph) {
            case Glyph::Circle:
                return "<circle cx=\"8\" cy=\"" + Num(y) + "\" r=\"6\"" + fill + "/>";
            case Glyph::Square:
                return "<rect x=\"2\" y=\"" + Num(y - 6) + "\" width=\"12\" height=\"12\"" + fill + "/>";
            case Glyph::Diamond:
                return "<polygon points=\"8 " + Num(y - 7) + " 15 " + Num(y) + " 8 " + Num(y + 7) + " 1 " +
                       Num(y) + "\"" + fill + "/>";
            case Glyph::Ring:
                return "<circle" + ring + "/>";
            case Glyph::DashedRing:
                return "<circle" + ring + " stroke-dasharray=\"4 2\"/>";
            case Glyph::Arrow:
                return "<line x1=\"0\" y1=\"" + Num(y) + "\" x2=\"14\" y2=\"" + Num(y) + "\" stroke=\"" +
                       entry.color + "\" stroke-width=\"2.5\" marker-end=\"url(#head-arrow)\"/>";
        }
        return {};
    }

    static std::string Legend(const std::vector<LegendEntry>& entries, double left, double top) {
        std::string legend =
            "<g id=\"legend\" transform=\"translate(" + Num(left) + " " + Num(top) + ")\">\n";
        double y = kLegendLine / 2;
        for (const LegendEntry& entry : entries) {
            legend += "<g opacity=\"" + Num(entry.opacity) + "\">" + LegendGlyph(entry, y) +
                      "<text x=\"24\" y=\"" + Num(y + 4) + "\">" + Escape(entry.text) + "</text></g>\n";
            y += kLegendLine;
        }
        return legend + "</g>\n";
    }

    std::string ScaleBar(double left, double y) const {
        const double length = RoundLength(box_.Width() / 4), pixels = length * scale_;
        return "<g id=\"scale-bar\" transform=\"translate(" + Num(left) + " " + Num(y) +
               ")\" stroke=\"#000000\" stroke-width=\"2\">"
               "<path d=\"M0 -5V5M0 0H" +
               Num(pixels) + "M" + Num(pixels) + " -5V5\"/><text x=\"" + Num(pixels + 8) +
               "\" y=\"4\" stroke=\"none\">" + Num(length) + " (lattice length unit)</text></g>\n";
    }

    const ModelPatch& patch_;
    const double mark_;
    std::vector<AtomView> views_;  // one per site of the patch, in its order
    Box box_;
    double scale_ = 1;  // pixels per lattice length unit
    std::string body_;
};

void Background(Canvas& canvas, double opacity) {
    canvas.Cells();
    canvas.Sites(opacity);
    canvas.Vectors();
}

std::vector<LegendEntry> ProcessLegend(const Canvas& canvas, const ProcessDrawing& process) {
    std::vector<LegendEntry> legend = canvas.TemplateLegend();
    std::array<bool, 4> roles{};
    for (const DrawnSite& site : process.sites) roles[static_cast<size_t>(site.role)] = true;
    for (size_t role = 0; role < roles.size(); ++role)
        if (roles[role])
            legend.push_back({role == 3 ? Glyph::DashedRing : Glyph::Ring, kRoleStyles[role].color,
                              kRoleStyles[role].legend});
    if (roles[0] && roles[1])
        legend.push_back({Glyph::Arrow, kRoleStyles[1].color, "moves from source to destination"});
    if (!process.images.empty())
        legend.push_back(
            {Glyph::Ring, "#777777",
             NoxFormat("faint: %1 symmetry image(s)") << static_cast<LONG>(process.images.size()),
             kImageOpacity});
    return legend;
}

}  // namespace

std::string LatticeSvg(const ModelPatch& patch, const std::string& title, const std::string& subtitle) {
    Canvas canvas(patch);
    Background(canvas, 1);
    canvas.SiteNumbers();
    return canvas.Page(title, subtitle, canvas.TemplateLegend());
}

std::string ProcessSvg(const ModelPatch& patch, const ProcessDrawing& process, const std::string& subtitle) {
    Canvas canvas(patch);
    Background(canvas, kUnderlayOpacity);
    for (const auto& image : process.images) canvas.Process(image, kImageOpacity, false);
    canvas.Process(process.sites, 1, true);
    const std::string title = NoxFormat("Process %1: %2 (%3)")
                              << process.index << process.identifier << process.type;
    return canvas.Page(title, subtitle, ProcessLegend(canvas, process));
}

std::string SnapshotSvg(const ModelPatch& patch, const std::string& title, const std::string& subtitle) {
    Canvas canvas(patch);
    Background(canvas, 1);
    return canvas.Page(title, subtitle, canvas.TemplateLegend());
}

}  // namespace kmcdoc
