#include "groups_report.h"

#include <vector>

#include "document.h"
#include "geometry/plane_groups.h"
#include "json.h"
#include "lattice/lattice.h"
#include "nox/format.h"

namespace kmcdoc {
namespace {

struct GroupOperators {
    std::string name;
    std::string classType;
    std::vector<TransformMatrix> operators;
};

// Asks a lattice set up with each group for its operators, so the report shows exactly what the
// library uses.
std::vector<GroupOperators> CatalogueAsApplied() {
    std::vector<GroupOperators> groups;
    for (const PlaneGroupDescription& group : PlaneGroupCatalog::Instance().Groups()) {
        auto lattice = CreateClassByProgId<KMCLattice, IVxKMCLattice>("VxDocuments.KMCLattice.1");
        double theta = group.ClassType() == "Hexagonal" ? 60.0 : 90.0;
        lattice->SetLattice(2, group.ClassType(), group.Name(), 1.0, 1.0, theta);
        groups.push_back({group.Name(), group.ClassType(), lattice->SymmetryOperators()});
    }
    return groups;
}

// Negative zeros from the basis change print as plain zeros.
double Tidy(double value) { return value + 0.0; }

}  // namespace

std::string GroupsText() {
    std::string out;
    for (const GroupOperators& group : CatalogueAsApplied()) {
        out += group.name + " (" + group.classType + "): " + std::to_string(group.operators.size()) +
               " operators\n";
        for (const TransformMatrix& op : group.operators) {
            out += " ";
            for (double value : op.GetValues()) out.append(" ").append(nox::FormatDouble(Tidy(value)));
            out += "\n";
        }
    }
    return out;
}

std::string GroupsJson() {
    JsonWriter json;
    json.BeginArray();
    for (const GroupOperators& group : CatalogueAsApplied()) {
        json.BeginObject().Key("name").String(group.name).Key("class_type").String(group.classType);
        json.Key("operators").BeginArray();
        for (const TransformMatrix& op : group.operators) {
            json.BeginArray();
            for (double value : op.GetValues()) json.Number(Tidy(value));
            json.EndArray();
        }
        json.EndArray().EndObject();
    }
    json.EndArray();
    return json.Text() + "\n";
}

}  // namespace kmcdoc
