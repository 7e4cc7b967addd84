#include "process_drawing.h"

#include "nox/comptr.h"
#include "nox/format.h"
#include "nox/result.h"
#include "nox/strings.h"
#include "process/process.h"
#include "property_read.h"
#include "vxostrel/process.h"

namespace kmcdoc {
namespace {

using Address = NoxComPtr<IVxKMCSiteSpecification>;

template <class Site>
Address AddressOf(Site& site, DrawnSite& drawn) {
    Address address;
    nox::Check(site.get_SiteSpecification(address.Put()));
    nox::Check(address->GetSiteDetails(&drawn.i, &drawn.j, &drawn.n));
    return address;
}

constexpr DrawnSite::Role kActiveRoles[] = {DrawnSite::Role::Source, DrawnSite::Role::Destination,
                                            DrawnSite::Role::Reaction};

// The sites in play, then the enabling sites, with their addresses in the same order.
void ReadSites(IVxKMCProcess& process, std::vector<DrawnSite>& sites, std::vector<Address>& addresses) {
    for (LONG k = 0, count = Read<LONG>(process, &IVxKMCProcess::get_NumberActiveSites); k < count; ++k) {
        NoxComPtr<IVxKMCActiveSite> site;
        nox::Check(process.get_ActiveSite(k, site.Put()));
        DrawnSite& drawn = sites.emplace_back();
        drawn.role = kActiveRoles[Read<vxKMCActiveSiteType>(*site, &IVxKMCActiveSite::get_Type)];
        drawn.source = ReadText(*site, &IVxKMCActiveSite::get_SourcePattern);
        drawn.result = ReadText(*site, &IVxKMCActiveSite::get_ResultPattern);
        addresses.push_back(AddressOf(*site, drawn));
    }
    for (LONG k = 0, count = Read<LONG>(process, &IVxKMCProcess::get_NumberBlockingSites); k < count; ++k) {
        NoxComPtr<IVxKMCBlockingSite> site;
        nox::Check(process.get_BlockingSite(k, site.Put()));
        DrawnSite& drawn = sites.emplace_back();
        drawn.role = DrawnSite::Role::Enabling;
        drawn.source = ReadText(*site, &IVxKMCBlockingSite::get_SourcePattern);
        addresses.push_back(AddressOf(*site, drawn));
    }
}

std::vector<DrawnSite> Image(const std::vector<DrawnSite>& sites, const std::vector<Address>& addresses,
                             LONG operatorIndex) {
    std::vector<DrawnSite> image = sites;
    for (size_t k = 0; k < image.size(); ++k) {
        Address moved;
        nox::Check(addresses[k]->Transform(operatorIndex, moved.Put()));
        nox::Check(moved->GetSiteDetails(&image[k].i, &image[k].j, &image[k].n));
    }
    return image;
}

// A process the lattice cannot map is still drawn, with the reason; running out of memory is no
// reason of the process's.
void AddImages(IVxKMCProcess& process, const std::vector<Address>& addresses, ProcessDrawing& drawing) {
    try {
        drawing.symmetryIndices = KMCProcess::FromInterface(&process).SymmetryIndices();
    } catch (const NoxResult& failure) {
        if (failure.Code() == E_OUTOFMEMORY) throw;
        drawing.symmetryProblem = failure.Description();
        return;
    }
    for (LONG operatorIndex : drawing.symmetryIndices)
        if (operatorIndex != 0) drawing.images.push_back(Image(drawing.sites, addresses, operatorIndex));
}

}  // namespace

LONG ProcessCount(IVxKMCProcessList& processes) {
    return Read<LONG>(processes, &IVxKMCProcessList::get_Count);
}

ProcessDrawing ReadProcessDrawing(IVxKMCProcessList& processes, LONG index) {
    const LONG count = ProcessCount(processes);
    if (index < 1 || index > count)
        throw NoxResult(E_INVALIDARG, NoxFormat("The document has %1 process(es); there is no process %2.")
                                          << count << index);
    using P = IVxKMCProcess;
    NoxComPtr<IVxKMCProcess> process;
    nox::Check(processes.get_Item(index - 1, process.Put()));
    ProcessDrawing drawing;
    drawing.index = index;
    drawing.identifier = ReadText(*process, &P::get_Identifier);
    drawing.type = ReadText(*process, &P::get_TypeAsString);
    drawing.description = ReadText(*process, &P::get_Description);
    // An Undefined process has no sites to draw.
    if (Read<vxKMCProcessType>(*process, &P::get_Type) == vxKMCProcessTypeUndefined) return drawing;
    std::vector<Address> addresses;
    ReadSites(*process, drawing.sites, addresses);
    AddImages(*process, addresses, drawing);
    return drawing;
}

}  // namespace kmcdoc
