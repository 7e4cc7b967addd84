// The automation interfaces of occupation snapshots and of the history of a simulation run.
#pragma once

#include "typelib/members.h"
#include "vxostrel/ids.h"

// One snapshot of the lattice occupation at a frame time: the species on every site of every
// cell of a patch, held as the configuration string and read site by site.
struct IVxKMCConfiguration : IDispatch {
    [[nodiscard]] virtual HRESULT Initialise(LONG cellsU, LONG cellsV, LONG sitesPerCell) = 0;
    [[nodiscard]] virtual HRESULT get_FrameTime(double* time) = 0;
    [[nodiscard]] virtual HRESULT put_FrameTime(double time) = 0;
    [[nodiscard]] virtual HRESULT get_Configuration(BSTR* configuration) = 0;
    [[nodiscard]] virtual HRESULT put_Configuration(BSTR configuration) = 0;
    [[nodiscard]] virtual HRESULT get_Species(LONG i, LONG j, LONG s, BSTR* species) = 0;
};
NOX_INTERFACE_TRAITS(IVxKMCConfiguration);

// One timed action of a run, with its key/value details in the order they were added.
struct IVxKMCConfigurationHistoryAction : IDispatch {
    [[nodiscard]] virtual HRESULT get_SimulationTime(double* time) = 0;
    [[nodiscard]] virtual HRESULT put_SimulationTime(double time) = 0;
    [[nodiscard]] virtual HRESULT get_NumKeyValuePairs(LONG* count) = 0;
    [[nodiscard]] virtual HRESULT AddKeyValuePair(BSTR key, double value) = 0;
    [[nodiscard]] virtual HRESULT GetKeyValuePair(LONG index, BSTR* key, double* value) = 0;
};
NOX_INTERFACE_TRAITS(IVxKMCConfigurationHistoryAction);

// The history of a run: its task, the processes document it used, reaction texts, and the
// timed actions whose times add up to the simulation time.
struct IVxKMCConfigurationHistory : IDispatch {
    [[nodiscard]] virtual HRESULT get_Task(BSTR* task) = 0;
    [[nodiscard]] virtual HRESULT put_Task(BSTR task) = 0;
    [[nodiscard]] virtual HRESULT get_ProcessesDocID(BSTR* id) = 0;
    [[nodiscard]] virtual HRESULT put_ProcessesDocID(BSTR id) = 0;
    [[nodiscard]] virtual HRESULT AddReaction(BSTR reaction) = 0;
    [[nodiscard]] virtual HRESULT get_NumReactions(LONG* count) = 0;
    [[nodiscard]] virtual HRESULT get_Reaction(LONG index, BSTR* reaction) = 0;
    [[nodiscard]] virtual HRESULT get_SimulationTime(double* time) = 0;
    [[nodiscard]] virtual HRESULT AddAction(double time, IVxKMCConfigurationHistoryAction** action) = 0;
    [[nodiscard]] virtual HRESULT get_NumActions(LONG* count) = 0;
    [[nodiscard]] virtual HRESULT get_Action(LONG index, IVxKMCConfigurationHistoryAction** action) = 0;
};
NOX_INTERFACE_TRAITS(IVxKMCConfigurationHistory);

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxKMCConfiguration*) {
    static const auto desc = nox::typelib::Describe<IVxKMCConfiguration>({
        NOX_MEMBER(IVxKMCConfiguration, Initialise, "cellsU, cellsV, sitesPerCell"),
        NOX_MEMBER(IVxKMCConfiguration, get_FrameTime, "time"),
        NOX_MEMBER(IVxKMCConfiguration, put_FrameTime, "time"),
        NOX_MEMBER(IVxKMCConfiguration, get_Configuration, "configuration"),
        NOX_MEMBER(IVxKMCConfiguration, put_Configuration, "configuration"),
        NOX_MEMBER(IVxKMCConfiguration, get_Species, "i, j, s, species"),
    });
    return desc;
}

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxKMCConfigurationHistoryAction*) {
    static const auto desc = nox::typelib::Describe<IVxKMCConfigurationHistoryAction>({
        NOX_MEMBER(IVxKMCConfigurationHistoryAction, get_SimulationTime, "time"),
        NOX_MEMBER(IVxKMCConfigurationHistoryAction, put_SimulationTime, "time"),
        NOX_MEMBER(IVxKMCConfigurationHistoryAction, get_NumKeyValuePairs, "count"),
        NOX_MEMBER(IVxKMCConfigurationHistoryAction, AddKeyValuePair, "key, value"),
        NOX_MEMBER(IVxKMCConfigurationHistoryAction, GetKeyValuePair, "index, key, value"),
    });
    return desc;
}

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxKMCConfigurationHistory*) {
    static const auto desc = nox::typelib::Describe<IVxKMCConfigurationHistory>({
        NOX_MEMBER(IVxKMCConfigurationHistory, get_Task, "task"),
        NOX_MEMBER(IVxKMCConfigurationHistory, put_Task, "task"),
        NOX_MEMBER(IVxKMCConfigurationHistory, get_ProcessesDocID, "id"),
        NOX_MEMBER(IVxKMCConfigurationHistory, put_ProcessesDocID, "id"),
        NOX_MEMBER(IVxKMCConfigurationHistory, AddReaction, "reaction"),
        NOX_MEMBER(IVxKMCConfigurationHistory, get_NumReactions, "count"),
        NOX_MEMBER(IVxKMCConfigurationHistory, get_Reaction, "index, reaction"),
        NOX_MEMBER(IVxKMCConfigurationHistory, get_SimulationTime, "time"),
        NOX_MEMBER(IVxKMCConfigurationHistory, AddAction, "time, action"),
        NOX_MEMBER(IVxKMCConfigurationHistory, get_NumActions, "count"),
        NOX_MEMBER(IVxKMCConfigurationHistory, get_Action, "index, action"),
    });
    return desc;
}
