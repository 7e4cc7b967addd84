#include "lattice/site_specification.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <span>

#include "lattice/lattice_site_list.h"
#include "lattice/positions.h"
#include "nox/strings.h"
#include "strings/text.h"

namespace {

// The first trimmed, non-empty pieces of an address text between "(", ",", "/" and ")": an
// address has three, so a fourth only tells that there are too many.
struct AddressPieces {
    explicit AddressPieces(std::string_view text) {
        for (size_t start = 0; start <= text.size() && count < items.size();) {
            const size_t cut = std::min(text.find_first_of("(,/)", start), text.size());
            const std::string_view piece = strings::TrimView(text.substr(start, cut - start));
            if (!piece.empty()) items[count++] = piece;
            start = cut + 1;
        }
    }
    std::span<const std::string_view> Items() const { return {items.data(), count}; }

    std::array<std::string_view, 4> items;
    size_t count = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The whole number at the start of `piece` (an optional sign, then digits; anything after the
// digits is ignored), when there is one that fits 32 bits.
std::optional<LONG> LeadingNumber(std::string_view piece) {
    if (piece.size() > 1 && piece[0] == '+' && IsDigit(piece[1])) piece.remove_prefix(1);
    LONG value = 0;
    if (std::from_chars(piece.data(), piece.data() + piece.size(), value).ec != std::errc())
        return std::nullopt;
    return value;
}

bool IsWholeNumberText(std::string_view piece) {
    std::string_view digits = piece;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) digits.remove_prefix(1);
    if (!std::all_of(digits.begin(), digits.end(), IsDigit)) return false;
    return digits.empty() || LeadingNumber(piece).has_value();
}

// Plain digits in any locale: the text is stored and read back.
void AppendDecimal(std::string& text, int64_t value) {
    char digits[24];
    text.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

// "( i , j / n )".
std::string AddressText(LONG i, LONG j, int64_t siteNumber) {
    std::string text = "( ";
    AppendDecimal(text, i);
    text += " , ";
    AppendDecimal(text, j);
    text += " / ";
    AppendDecimal(text, siteNumber);
    return text += " )";
}

}  // namespace

namespace kmc {

Point3d CellPosition(LONG i, LONG j, const Point3d& sitePosition) {
    return {i + sitePosition.x, j + sitePosition.y, 0.0};
}

double CellDistance(double u, double v, double thetaDegrees, const Point3d& from, const Point3d& to) {
    const double dx = from.x - to.x, dy = from.y - to.y, angle = thetaDegrees * kRadiansPerDegree;
    return std::hypot(u * dx + v * dy * std::cos(angle), v * dy * std::sin(angle));
}

}  // namespace kmc

PeriodicTranslation KMCSiteSpecification::ParseSiteDetails(std::string_view text) {
    PeriodicTranslation address{0, 0, 1};
    const AddressPieces pieces(text);
    LONG* places[] = {&address.i, &address.j, &address.site};
    for (size_t k = 0; k < pieces.count && k < std::size(places); ++k) {
        if (std::optional<LONG> value = LeadingNumber(pieces.items[k])) *places[k] = *value;
    }
    return address;
}

bool KMCSiteSpecification::IsValidSiteDetailsString(BSTR text) {
    const std::string address = BSTRToTString(text);
    const AddressPieces pieces(address);
    if (pieces.count > 3 || !std::ranges::all_of(pieces.Items(), IsWholeNumberText)) return false;
    return pieces.count < 3 || LeadingNumber(pieces.items[2]).value_or(0) >= 1;
}

NoxComPtr<KMCSiteSpecification> KMCSiteSpecification::MakeAddress(LONG i, LONG j, LONG n) {
    NoxComPtr<KMCSiteSpecification> address = Create();
    address->SetAddress({i, j, n});
    return address;
}

void KMCSiteSpecification::SetAddress(const PeriodicTranslation& address) {
    i_ = address.i;
    j_ = address.j;
    n_ = address.site;
}

KMCLattice& KMCSiteSpecification::Lattice() const {
    KMCLattice* lattice = ParentLattice();
    if (lattice == nullptr) throw NoxResult(E_UNEXPECTED, "Site specification is not linked to a lattice.");
    return *lattice;
}

const KMCLatticeSite& KMCSiteSpecification::AddressedSite() const {
    const KMCLatticeSiteList& sites = *CheckNullDereference(Lattice().RawLatticeSiteList());
    if (n_ < 1 || n_ > sites.Count()) throw NoxResult(E_UNEXPECTED, "Site index is invalid");
    return sites.Site(n_ - 1);
}

Point3d KMCSiteSpecification::Fractional() const {
    return kmc::CellPosition(i_, j_, AddressedSite().Position());
}

HRESULT KMCSiteSpecification::SetSiteDetails(LONG i, LONG j, LONG n) {
    return Boundary([&] { Edit([&] { SetAddress({i, j, n}); }); });
}

HRESULT KMCSiteSpecification::GetSiteDetails(LONG* i, LONG* j, LONG* n) {
    return Boundary([&] {
        *kmc::Out(i) = i_;
        *kmc::Out(j) = j_;
        *kmc::Out(n) = n_;
    });
}

HRESULT KMCSiteSpecification::put_SiteDetailsAsString(BSTR text) {
    return Boundary([&] {
        const PeriodicTranslation address = ParseSiteDetails(BSTRToTString(text));
        Edit([&] { SetAddress(address); });
    });
}

std::string KMCSiteSpecification::AddressText() const { return ::AddressText(i_, j_, n_); }

HRESULT KMCSiteSpecification::get_SiteDetailsAsString(BSTR* text) {
    return Boundary([&] { kmc::OutText(text, AddressText()); });
}

HRESULT KMCSiteSpecification::get_SiteDetailsAsVelkorString(BSTR* text) {
    // The engine counts sites from 0.
    return Boundary([&] { kmc::OutText(text, ::AddressText(i_, j_, int64_t{n_} - 1)); });
}

HRESULT KMCSiteSpecification::get_IsEquivalent(BSTR text, VARIANT_BOOL* equivalent) {
    return Boundary([&] {
        kmc::Out(equivalent);
        *equivalent = kmc::AsFlag(ParseSiteDetails(BSTRToTString(text)) == PeriodicTranslation{i_, j_, n_});
    });
}

HRESULT KMCSiteSpecification::Transform(LONG operatorIndex, IVxKMCSiteSpecification** image) {
    return Boundary([&] {
        kmc::Out(image);
        const KMCLattice& lattice = Lattice();
        const LONG label = AddressedSite().Label();
        const Point3d mapped = lattice.TransformPosition(Fractional(), operatorIndex);
        const PeriodicTranslation found = lattice.RawLatticeSiteList()->FindSite(mapped.x, mapped.y, label);
        kmc::HandOut(MakeAddress(found.i, found.j, found.site + 1), image);
    });
}

HRESULT KMCSiteSpecification::Translate(LONG di, LONG dj, IVxKMCSiteSpecification** translated) {
    return Boundary([&] {
        kmc::Out(translated);
        const LONG i = kmc::CellOffset(static_cast<double>(i_) + di);
        const LONG j = kmc::CellOffset(static_cast<double>(j_) + dj);
        kmc::HandOut(MakeAddress(i, j, n_), translated);
    });
}

HRESULT KMCSiteSpecification::FractionalCoordinate(double* x, double* y) {
    return Boundary([&] {
        kmc::Out(x);
        kmc::Out(y);
        const Point3d position = Fractional();
        *x = position.x;
        *y = position.y;
    });
}

HRESULT KMCSiteSpecification::get_Distance(IVxKMCSiteSpecification* other, double* distance) {
    return Boundary([&] {
        kmc::Out(distance);
        const Point3d mine = Fractional();
        double otherX = 0.0, otherY = 0.0;
        nox::Check(CheckNullDereference(other)->FractionalCoordinate(&otherX, &otherY));
        // Measured in this address's lattice; the cell offsets count, no nearest image is taken.
        KMCLattice& lattice = Lattice();
        double u = 0.0, v = 0.0, theta = 0.0;
        nox::Check(lattice.get_LengthU(&u));
        nox::Check(lattice.get_LengthV(&v));
        nox::Check(lattice.get_AngleTheta(&theta));
        *distance = kmc::CellDistance(u, v, theta, mine, {otherX, otherY, 0.0});
    });
}
