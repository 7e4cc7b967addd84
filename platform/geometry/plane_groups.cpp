#include "geometry/plane_groups.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>
#include <utility>

#include "nox/result.h"

namespace {

[[noreturn]] void RejectTriplet(std::string_view triplet, std::string_view reason) {
    throw NoxResult(E_INVALIDARG,
               "The symmetry operator \"" + std::string(triplet) +
                   "\" is not a coordinate triplet such as \"-y,x-y,z\": " + std::string(reason));
}

// Reads one component of a triplet ("x-y+1/2") into one row of the matrix.
class ComponentReader {
public:
    ComponentReader(std::string_view triplet, std::string_view component)
        : triplet_(triplet), text_(component) {}

    void ReadInto(TransformMatrix::Values& values, size_t row) {
        SkipSpaces();
        if (AtEnd()) RejectTriplet(triplet_, "a component is empty");
        bool first = true;
        while (!AtEnd()) {
            const double sign = ReadSign(first);
            const auto [coefficient, hasNumber] = ReadNumber();
            const int variable = ReadVariable();
            if (!hasNumber && variable < 0)
                RejectTriplet(triplet_, "a term has neither a number nor x, y or z");
            const size_t column = variable < 0 ? 3 : static_cast<size_t>(variable);
            values[row * 4 + column] += sign * coefficient;
            SkipSpaces();
            first = false;
        }
    }

private:
    bool AtEnd() const { return position_ == text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[position_]; }
    void SkipSpaces() {
        while (Peek() == ' ') ++position_;
    }

    // Terms after the first must be joined by a sign, so that "xy" is not read as two terms.
    double ReadSign(bool first) {
        const char c = Peek();
        if (c == '+' || c == '-') {
            ++position_;
            SkipSpaces();
            return c == '-' ? -1.0 : 1.0;
        }
        if (!first) RejectTriplet(triplet_, "terms must be joined by + or -");
        return 1.0;
    }

    // An integer or a fraction; 1 when the term has no number.
    std::pair<double, bool> ReadNumber() {
        if (!IsDigit(Peek())) return {1.0, false};
        const double numerator = ReadInteger();
        if (Peek() != '/') return {numerator, true};
        ++position_;
        if (!IsDigit(Peek())) RejectTriplet(triplet_, "a fraction has no denominator");
        const double denominator = ReadInteger();
        if (denominator == 0) RejectTriplet(triplet_, "a fraction has a zero denominator");
        return {numerator / denominator, true};
    }

    double ReadInteger() {
        unsigned value = 0;
        const char* begin = text_.data() + position_;
        const auto [end, error] = std::from_chars(begin, text_.data() + text_.size(), value);
        if (error != std::errc()) RejectTriplet(triplet_, "a number is out of range");
        position_ += static_cast<size_t>(end - begin);
        return value;
    }

    // The column of x, y or z; -1 when the term is a constant.
    int ReadVariable() {
        const char c = Peek();
        if (c < 'x' || c > 'z') return -1;
        ++position_;
        return c - 'x';
    }

    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    std::string_view triplet_;
    std::string_view text_;
    size_t position_ = 0;
};

struct GroupEntry {
    std::string_view name;
    std::string_view classType;
    bool centred;
    // The general position of the (0,0) coset as listed in the International Tables, ';'-separated.
    std::string_view operators;
};

// Standard settings; hexagonal groups in the 120-degree cell. The plane groups leave z alone.
constexpr std::array<GroupEntry, 17> kGroups{{
    {"p 1", "Oblique", false, "x,y,z"},
    {"p 2", "Oblique", false, "x,y,z; -x,-y,z"},
    {"p m", "Rectangular", false, "x,y,z; -x,y,z"},
    {"p g", "Rectangular", false, "x,y,z; -x,y+1/2,z"},
    {"c m", "Rectangular", true, "x,y,z; -x,y,z"},
    {"p 2 m m", "Rectangular", false, "x,y,z; -x,-y,z; -x,y,z; x,-y,z"},
    {"p 2 m g", "Rectangular", false, "x,y,z; -x,-y,z; -x+1/2,y,z; x+1/2,-y,z"},
    {"p 2 g g", "Rectangular", false, "x,y,z; -x,-y,z; -x+1/2,y+1/2,z; x+1/2,-y+1/2,z"},
    {"c 2 m m", "Rectangular", true, "x,y,z; -x,-y,z; -x,y,z; x,-y,z"},
    {"p 4", "Square", false, "x,y,z; -x,-y,z; -y,x,z; y,-x,z"},
    {"p 4 m m", "Square", false, "x,y,z; -x,-y,z; -y,x,z; y,-x,z; -x,y,z; x,-y,z; y,x,z; -y,-x,z"},
    {"p 4 g m", "Square", false,
     "x,y,z; -x,-y,z; -y,x,z; y,-x,z; -x+1/2,y+1/2,z; x+1/2,-y+1/2,z; y+1/2,x+1/2,z; -y+1/2,-x+1/2,z"},
    {"p 3", "Hexagonal", false, "x,y,z; -y,x-y,z; -x+y,-x,z"},
    {"p 3 m 1", "Hexagonal", false, "x,y,z; -y,x-y,z; -x+y,-x,z; -y,-x,z; -x+y,y,z; x,x-y,z"},
    {"p 3 1 m", "Hexagonal", false, "x,y,z; -y,x-y,z; -x+y,-x,z; y,x,z; x-y,-y,z; -x,-x+y,z"},
    {"p 6", "Hexagonal", false, "x,y,z; -y,x-y,z; -x+y,-x,z; -x,-y,z; y,-x+y,z; x-y,x,z"},
    {"p 6 m m", "Hexagonal", false,
     "x,y,z; -y,x-y,z; -x+y,-x,z; -x,-y,z; y,-x+y,z; x-y,x,z; -y,-x,z; -x+y,y,z; x,x-y,z; y,x,z; x-y,-y,z; "
     "-x,-x+y,z"},
}};

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

std::string_view TrimSpaces(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

PlaneGroupDescription Describe(const GroupEntry& entry) {
    std::vector<TransformMatrix> representatives;
    for (std::string_view triplet : Split(entry.operators, ';')) {
        representatives.push_back(ParseCoordinateTriplet(TrimSpaces(triplet)));
    }
    return PlaneGroupDescription(std::string(entry.name), std::string(entry.classType),
                                 std::move(representatives), entry.centred);
}

TransformMatrix ShiftedByCentring(const TransformMatrix& op) {
    TransformMatrix::Values values = op.GetValues();
    values[3] += 0.5;
    values[7] += 0.5;
    return TransformMatrix(values);
}

}  // namespace

TransformMatrix ParseCoordinateTriplet(std::string_view triplet) {
    const std::vector<std::string_view> components = Split(triplet, ',');
    if (components.size() != 3) RejectTriplet(triplet, "it needs exactly three comma-separated components");
    TransformMatrix::Values values{};
    for (size_t row = 0; row < 3; ++row) ComponentReader(triplet, components[row]).ReadInto(values, row);
    return TransformMatrix(values);
}

PlaneGroupDescription::PlaneGroupDescription(std::string name, std::string classType,
                                             std::vector<TransformMatrix> representatives, bool centred)
    : name_(std::move(name)),
      classType_(std::move(classType)),
      representatives_(std::move(representatives)),
      centred_(centred) {}

const std::string& PlaneGroupDescription::Name() const { return name_; }
const std::string& PlaneGroupDescription::ClassType() const { return classType_; }

std::vector<TransformMatrix> PlaneGroupDescription::CreateSymmetryGroup(bool includeCentring) const {
    std::vector<TransformMatrix> operators = representatives_;
    if (includeCentring && centred_) {
        std::transform(representatives_.begin(), representatives_.end(), std::back_inserter(operators),
                       ShiftedByCentring);
    }
    return operators;
}

PlaneGroupCatalog::PlaneGroupCatalog() {
    groups_.reserve(kGroups.size());
    for (const GroupEntry& entry : kGroups) groups_.push_back(Describe(entry));
}

const PlaneGroupCatalog& PlaneGroupCatalog::Instance() {
    static const PlaneGroupCatalog catalog;
    return catalog;
}

const PlaneGroupDescription* PlaneGroupCatalog::Find(std::string_view name) const {
    const auto found = std::find_if(groups_.begin(), groups_.end(),
                                    [&](const PlaneGroupDescription& group) { return group.Name() == name; });
    return found == groups_.end() ? nullptr : &*found;
}

const std::vector<PlaneGroupDescription>& PlaneGroupCatalog::Groups() const { return groups_; }
