// The model document, the display path and kmcdoc render: pictures and files parsed back and
// compared with positions worked out from the lattice itself.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <numbers>
#include <sstream>

#include "cli.h"
#include "configuration/configuration.h"
#include "configuration_document.h"
#include "example_files.h"
#include "lattice/lattice.h"
#include "lattice/lattice_site.h"
#include "lattice/lattice_site_list.h"
#include "model_display.h"
#include "model_document.h"
#include "process/process_list.h"
#include "processes_document.h"
#include "render_command.h"
#include "xmltree/xmltree.h"

namespace {

using kmctest::Example;

std::string Scratch(const std::string& name) {
    const auto folder = std::filesystem::temp_directory_path() / "kmcdoc-render-test";
    std::filesystem::create_directories(folder);
    return (folder / name).string();
}

// Renders and returns what was written to `out`.
std::string RenderToText(kmcdoc::RenderRequest request) {
    kmcdoc::Render(request);
    return kmctest::ReadFile(request.out);
}

struct Mark {
    std::string kind, address, fill;
    double x = 0, y = 0;
};

void CollectMarks(const xmlElement& element, std::vector<Mark>& marks) {
    const xmlAttribute* cls = element.GetAttribute("class");
    if (cls != nullptr && cls->Value().starts_with("site ")) {
        EXPECT_EQ(element.Name(), "circle");  // every example site is an adsorption site
        marks.push_back({std::string(cls->Value().substr(5)),
                         std::string(element.GetAttribute("data-site")->Value()),
                         std::string(element.GetAttribute("fill")->Value()),
                         std::stod(std::string(element.GetAttribute("cx")->Value())),
                         std::stod(std::string(element.GetAttribute("cy")->Value()))});
    }
    for (xmlNode* child : element.Children())
        if (const xmlElement* e = child->AsElement()) CollectMarks(*e, marks);
}

// The site marks of a picture, which must be well-formed.
std::vector<Mark> SiteMarks(const std::string& svg) {
    std::unique_ptr<xmlTree> tree = xmlTree::ParseString(svg);
    EXPECT_EQ(tree->Root()->Name(), "svg");
    std::vector<Mark> marks;
    CollectMarks(*tree->Root(), marks);
    return marks;
}

// Where site n of cell (i, j) lies, worked out from the lattice's own numbers.
struct Expected {
    double u, v, theta;
    std::vector<Point3d> sites;
    explicit Expected(const KMCLattice& lattice) {
        LONG count = lattice.RawLatticeSiteList()->Count();
        for (LONG k = 0; k < count; ++k) sites.push_back(lattice.RawLatticeSiteList()->Site(k).Position());
        KMCLattice& l = const_cast<KMCLattice&>(lattice);
        EXPECT_EQ(l.get_LengthU(&u), S_OK);
        EXPECT_EQ(l.get_LengthV(&v), S_OK);
        EXPECT_EQ(l.get_AngleTheta(&theta), S_OK);
        theta *= std::numbers::pi / 180;
    }
    std::pair<double, double> At(LONG i, LONG j, LONG n) const {
        const Point3d& s = sites[static_cast<size_t>(n - 1)];
        return {(i + s.x) * u + (j + s.y) * v * std::cos(theta), (j + s.y) * v * std::sin(theta)};
    }
};

class LatticePictureTest : public ::testing::TestWithParam<const char*> {};

TEST_P(LatticePictureTest, HasOneMarkPerSiteOfThePatchWhereTheLatticePutsIt) {
    const auto document = kmcdoc::ProcessesDocument::Load(Example(GetParam()));
    const Expected expected(document->Lattice());
    const std::vector<Mark> marks =
        SiteMarks(RenderToText({Example(GetParam()), Scratch("lattice.svg"), 4, 3, true, "", {}}));
    ASSERT_EQ(marks.size(), 4 * 3 * expected.sites.size());
    std::map<std::string, int> seen;
    for (const Mark& mark : marks) {
        LONG i = 0, j = 0, n = 0;
        std::istringstream(mark.address) >> i >> j >> n;
        const auto [x, y] = expected.At(i, j, n);
        EXPECT_NEAR(mark.x, x, 1e-4) << mark.address;
        EXPECT_NEAR(mark.y, y, 1e-4) << mark.address;
        EXPECT_TRUE(i >= 0 && i < 4 && j >= 0 && j < 3) << mark.address;
        EXPECT_EQ(mark.fill, "#cc6633");  // the examples' site colour FF3366CC, red in the low byte
        EXPECT_EQ(++seen[mark.address], 1) << mark.address;
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, LatticePictureTest,
                         ::testing::Values("square_lattice.xml", "hexagonal_lattice.xml"));

double Distance(const Mark& a, const Mark& b) { return std::hypot(a.x - b.x, a.y - b.y); }

// In the 60-degree cell the top sites form a triangular grid: each has its nearest neighbours
// one lattice length away, six of them inside the patch.
TEST(HexagonalPictureTest, TopSitesLieOnATriangularGrid) {
    std::vector<Mark> tops;
    for (const Mark& mark :
         SiteMarks(RenderToText({Example("hexagonal_lattice.xml"), Scratch("hex.svg"), 5, 5, true, "", {}})))
        if (mark.address.ends_with(" 1")) tops.push_back(mark);
    ASSERT_EQ(tops.size(), 25u);
    for (const Mark& top : tops) {
        double nearest = 1e9;
        int neighbours = 0;
        for (const Mark& other : tops)
            if (&other != &top) nearest = std::min(nearest, Distance(top, other));
        for (const Mark& other : tops)
            neighbours += &other != &top && std::abs(Distance(top, other) - 2.77) < 1e-3;
        EXPECT_NEAR(nearest, 2.77, 1e-3) << top.address;
        if (top.address == "2 2 1") {
            EXPECT_EQ(neighbours, 6);
        }
    }
}

// The extended XYZ file read back: the atom count, the cell of the patch, the periodicity, and
// each atom's name and position.
struct XyzFile {
    size_t count = 0;
    std::string comment;
    std::vector<std::string> names;
    std::vector<std::array<double, 3>> positions;
};

XyzFile ReadXyz(const std::string& text) {
    std::istringstream in(text);
    XyzFile file;
    in >> file.count;
    in.ignore();
    std::getline(in, file.comment);
    std::string name;
    std::array<double, 3> p{};
    while (in >> name >> p[0] >> p[1] >> p[2]) file.names.push_back(name), file.positions.push_back(p);
    return file;
}

std::string Quoted(const std::string& comment, const std::string& key) {
    const size_t start = comment.find(key + "=\"") + key.size() + 2;
    return comment.substr(start, comment.find('"', start) - start);
}

TEST(XyzTest, TheLatticeReadsBackToItsAtomsAndCell) {
    const auto document = kmcdoc::ProcessesDocument::Load(Example("hexagonal_lattice.xml"));
    const Expected expected(document->Lattice());
    const XyzFile xyz =
        ReadXyz(RenderToText({Example("hexagonal_lattice.xml"), Scratch("hex.xyz"), 3, 2, true, "", {}}));
    ASSERT_EQ(xyz.count, 3u * 2 * 6);
    ASSERT_EQ(xyz.names.size(), xyz.count);
    std::istringstream cell(Quoted(xyz.comment, "Lattice"));
    std::array<double, 9> vectors{};
    for (double& value : vectors) cell >> value;
    const double c = std::cos(expected.theta), s = std::sin(expected.theta), d = std::sqrt(2.77 * 2.77 * s);
    const std::array<double, 9> wanted{3 * 2.77, 0, 0, 2 * 2.77 * c, 2 * 2.77 * s, 0, 0, 0, 3 * d};
    for (size_t k = 0; k < 9; ++k) EXPECT_NEAR(vectors[k], wanted[k], 1e-12) << k;
    EXPECT_EQ(Quoted(xyz.comment, "pbc"), "T T F");
    const char* names[] = {"Top1", "Bridge2", "Bridge3", "Bridge4", "Hollow5", "Hollow6"};
    size_t k = 0;
    for (LONG j = 0; j < 2; ++j)
        for (LONG i = 0; i < 3; ++i)
            for (LONG n = 1; n <= 6; ++n, ++k) {
                const auto [x, y] = expected.At(i, j, n);
                EXPECT_EQ(xyz.names[k], names[n - 1]);
                EXPECT_NEAR(xyz.positions[k][0], x, 1e-12);
                EXPECT_NEAR(xyz.positions[k][1], y, 1e-12);
                EXPECT_EQ(xyz.positions[k][2], 0);
            }
}

// What configuration `number` holds on each site of the first cells, row by row.
std::vector<std::string> Occupants(const std::string& file, size_t number, LONG cellsU, LONG cellsV) {
    const auto document = kmcdoc::ConfigurationDocument::Load(file);
    std::vector<std::string> occupants;
    for (LONG j = 0; j < cellsV; ++j)
        for (LONG i = 0; i < cellsU; ++i)
            for (LONG s = 0; s < document->SitesPerCell(); ++s) {
                NoxBSTR entry;
                EXPECT_EQ(document->Configurations()[number - 1]->get_Species(i, j, s, entry.Put()), S_OK);
                occupants.push_back(entry.ToTString());
            }
    return occupants;
}

TEST(SnapshotTest, EverySiteShowsItsOccupantInTheSvgAndTheXyz) {
    const std::string file = Example("square_configurations.xml");
    const std::vector<std::string> occupants = Occupants(file, 2, 20, 20);
    const std::string svg = RenderToText({file, Scratch("snapshot.svg"), 3, 3, false, "", 2});
    EXPECT_NE(svg.find("<title>Configuration 2 at frame time 0.5</title>"), std::string::npos);
    const std::vector<Mark> marks = SiteMarks(svg);
    ASSERT_EQ(marks.size(), occupants.size());
    const std::map<std::string, std::string> fills{{"CO", "#3575e0"}, {"O", "#87bc60"}, {"V", "#dfdfdf"}};
    std::map<std::string, size_t> wanted, drawn;
    for (const std::string& occupant : occupants) ++wanted[fills.at(occupant)];
    for (const Mark& mark : marks) ++drawn[mark.fill];
    EXPECT_EQ(drawn, wanted);
    EXPECT_GT(wanted["#3575e0"], 0u);

    const XyzFile xyz = ReadXyz(RenderToText({file, Scratch("snapshot.xyz"), 5, 4, true, "", 2}));
    EXPECT_EQ(xyz.names, Occupants(file, 2, 5, 4));
    EXPECT_NE(xyz.comment.find(" Time=0.5"), std::string::npos);
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(ProcessPictureTest, ShowsTheSitesArrowsAndSymmetryImagesOfEachProcess) {
    const std::string file = Example("square_lattice.xml");
    const std::vector<std::string> written =
        kmcdoc::Render({file, Scratch("process.svg"), 3, 3, false, "all", {}});
    ASSERT_EQ(written.size(), 6u);
    const auto document = kmcdoc::ProcessesDocument::Load(file);
    LONG index = 0;
    for (const char* identifier :
         {"CO_adsorption", "CO_desorption", "O2_adsorption", "CO_diffusion", "O_diffusion", "CO_oxidation"}) {
        ++index;
        const std::string svg = kmctest::ReadFile(Scratch("process-" + std::to_string(index) + ".svg"));
        EXPECT_EQ(SiteMarks(svg).size() % 4, 0u) << identifier;
        EXPECT_NE(svg.find(identifier), std::string::npos);
        NoxComPtr<IVxKMCProcess> process;
        ASSERT_EQ(document->ProcessList().get_Item(index - 1, process.Put()), S_OK);
        LONG images = 0;
        ASSERT_EQ(process->get_NumberSymmetryImages(&images), S_OK);
        EXPECT_EQ(Count(svg, "class=\"symmetry-image\""), static_cast<size_t>(images - 1)) << identifier;
    }
    const std::string diffusion = kmctest::ReadFile(Scratch("process-4.svg"));
    EXPECT_EQ(Count(diffusion, "class=\"arrow\""), 1 + Count(diffusion, "class=\"symmetry-image\""));
    EXPECT_NE(diffusion.find("CO \u2192</text>"), std::string::npos);
    const std::string oxidation = kmctest::ReadFile(Scratch("process-6.svg"));
    EXPECT_EQ(Count(oxidation, "class=\"process-site reaction\""),
              2 * (1 + Count(oxidation, "class=\"symmetry-image\"")));
    EXPECT_NE(oxidation.find("needs V</text>"), std::string::npos);
}

TEST(RenderCommandTest, RequestsThatDoNotFitAreRefusedWithTheReason) {
    const std::string processes = Example("square_lattice.xml"),
                      snapshots = Example("square_configurations.xml");
    const struct {
        std::vector<std::string> args;
        const char* reason;
    } cases[] = {
        {{processes, "-o", Scratch("x.png")}, "its name must end in .svg or .xyz"},
        {{processes, "-o", Scratch("x.svg"), "--process", "7"}, "there is no process 7"},
        {{processes, "-o", Scratch("x.svg"), "--process", "two"}, "not \"two\""},
        {{processes, "-o", Scratch("x.xyz"), "--process", "1"}, "drawn as SVG only"},
        {{processes, "-o", Scratch("x.svg"), "--configuration", "1"}, "needs a configuration document"},
        {{snapshots, "-o", Scratch("x.svg"), "--process", "1"}, "needs a processes document"},
        {{snapshots, "-o", Scratch("x.svg"), "--configuration", "5"}, "there is no configuration 5"},
        {{processes, "-o", Scratch("x.svg"), "--cells", "0", "3"}, "--cells"},
        {{processes, "-o", Scratch("no-such-folder/x.svg")}, "Cannot write"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"render"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const kmctest::Finished run = kmctest::Kmcdoc(args);
        EXPECT_EQ(run.code, kmcdoc::kExitBadInput) << c.reason;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << c.reason;
    }
}

// The command line keeps --cells to 100 on a side; a caller of Render is held to the same
// number of atoms, before any is made.
TEST(RenderCommandTest, APatchTooLargeToDrawIsRefused) {
    const std::string out = Scratch("huge.svg");
    std::filesystem::remove(out);
    try {
        kmcdoc::Render({Example("square_lattice.xml"), out, 300, 300, true, "", {}});
        ADD_FAILURE() << "a patch of 360000 sites was drawn";
    } catch (const NoxResult& failure) {
        EXPECT_EQ(failure.Code(), E_INVALIDARG);
        EXPECT_NE(failure.Description().find("360000 sites, more than kmcdoc render draws"), std::string::npos)
            << failure.Description();
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

// Rebuilding a display replaces its atoms and raises no event; the events are on afterwards.
TEST(DisplayPatchTest, RebuildsTheAtomsWithEventsOff) {
    const auto document = kmcdoc::ProcessesDocument::Load(Example("square_lattice.xml"));
    const NoxComPtr<IModelDocumentRoot> model = kmcdoc::NewModelDocument();
    const kmcdoc::LatticeLayout layout = kmcdoc::ReadLayout(document->Lattice());
    const std::vector<std::string> names = kmcdoc::DefineSiteTemplates(*model, document->Lattice(), layout);
    const NoxComPtr<IModelDocumentEvents> events = model.As<IModelDocumentEvents>();
    LONG before = 0, after = 0, atoms = 0;
    ASSERT_EQ(events->get_EventCount(&before), S_OK);
    for (int round = 0; round < 2; ++round) {
        const kmcdoc::ModelPatch patch = kmcdoc::DisplayPatch(
            *model, layout, {-1, 0, 3, 2}, [&](LONG, LONG, LONG n) { return names[n - 1]; });
        ASSERT_EQ(model.As<IModelAtomisticContent>()->get_AtomCount(&atoms), S_OK);
        EXPECT_EQ(atoms, 3 * 2 * 4);
        ASSERT_NE(patch.Find(-1, 1, 4), nullptr);
        EXPECT_EQ(patch.Find(2, 0, 1), nullptr);
        EXPECT_EQ(kmcdoc::ViewAtom(*patch.Find(-1, 1, 4)->atom).name, "Hollow4");
    }
    ASSERT_EQ(events->get_EventCount(&after), S_OK);
    EXPECT_EQ(after, before);
    VARIANT_BOOL on = VARIANT_FALSE;
    ASSERT_EQ(events->get_EventsEnabled(&on), S_OK);
    EXPECT_EQ(on, VARIANT_TRUE);
}

TEST(ModelDocumentTest, ObjectsAttachOnceWithinTheirOwnDocumentAndRaiseEventsWhileOn) {
    const NoxComPtr<IModelDocumentRoot> model = kmcdoc::NewModelDocument(),
                                        other = kmcdoc::NewModelDocument();
    NoxComPtr<IVxUtility> utility;
    NoxComPtr<IVxObject> top, otherTop, group, atom, attached;
    NoxComPtr<IVxObjectProperty> children;
    ASSERT_EQ(model->get_Utility(utility.Put()), S_OK);
    ASSERT_EQ(model->get_TopObject(top.Put()), S_OK);
    ASSERT_EQ(other->get_TopObject(otherTop.Put()), S_OK);
    ASSERT_EQ(model->get_ChildrenProperty(children.Put()), S_OK);
    ASSERT_EQ(utility->CreateObject(NoxBSTR("Group").Get(), group.Put()), S_OK);
    ASSERT_EQ(utility->CreateObject(NoxBSTR("Atom3d").Get(), atom.Put()), S_OK);
    EXPECT_EQ(utility->CreateObject(NoxBSTR("Bond").Get(), attached.Put()), E_INVALIDARG);
    const NoxComPtr<IModelDocumentEvents> events = model.As<IModelDocumentEvents>();
    LONG count = 0;
    ASSERT_EQ(events->put_EventsEnabled(VARIANT_FALSE), S_OK);
    EXPECT_EQ(children->Attach(atom.Get(), group.Get(), attached.Put()), S_OK);
    EXPECT_EQ(attached.Get(), atom.Get());
    ASSERT_EQ(events->get_EventCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    ASSERT_EQ(events->put_EventsEnabled(VARIANT_TRUE), S_OK);
    EXPECT_EQ(children->Attach(group.Get(), atom.Get(), attached.Put()), E_INVALIDARG);  // below itself
    EXPECT_EQ(children->Attach(group.Get(), otherTop.Get(), attached.Put()), E_INVALIDARG);
    EXPECT_EQ(children->Attach(group.Get(), top.Get(), attached.Put()), S_OK);
    EXPECT_EQ(children->Attach(group.Get(), top.Get(), attached.Put()), E_UNEXPECTED);  // attached already
    EXPECT_EQ(atom->SetPosition(1, std::nan(""), 0), E_INVALIDARG);
    ASSERT_EQ(events->get_EventCount(&count), S_OK);
    EXPECT_EQ(count, 1);
    ASSERT_EQ(model.As<IModelAtomisticContent>()->get_AtomCount(&count), S_OK);
    EXPECT_EQ(count, 1);
}

}  // namespace
