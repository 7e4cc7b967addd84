// Identifiers of the library: the type library, every automation interface and every class.
#pragma once

#include "com/base.h"

inline constexpr GUID LIBID_VxOstrel = MakeGuid("{5C760A8D-9B41-43F6-81ED-D4000BCEFC22}");
inline constexpr WORD kVxOstrelMajor = 1;
inline constexpr WORD kVxOstrelMinor = 0;
inline constexpr const char* kVxOstrelLibraryName = "VxOstrel";

inline constexpr IID IID_IVxKMCLattice = MakeGuid("{8EA8E848-F8A5-4DBD-93C6-9FEA712917B4}");
inline constexpr IID IID_IVxKMCLatticeSite = MakeGuid("{9AAB3B16-8DBA-48A7-B98D-99CA09E7A641}");
inline constexpr IID IID_IVxKMCLatticeSiteList = MakeGuid("{383164AE-EF1A-4569-88D3-DCAE9926C9CD}");
inline constexpr IID IID_IVxKMCSiteSpecification = MakeGuid("{7D1C7078-55EF-4D9D-A4EE-CF9A915F48CD}");
inline constexpr IID IID_IVxKMCSpecies = MakeGuid("{7D267954-9859-4B38-B8A6-1BCC97B48B4D}");
inline constexpr IID IID_IVxKMCSpeciesList = MakeGuid("{2E998E97-0DB7-4EB2-90D9-684A9BCFF89A}");
inline constexpr IID IID_IVxKMCActiveSite = MakeGuid("{749E8E25-4DEF-4B3D-9619-CFE6E67BF292}");
inline constexpr IID IID_IVxKMCBlockingSite = MakeGuid("{4DA76B9F-6FC6-471C-BB86-F94080E7DC2E}");
inline constexpr IID IID_IVxKMCProcess = MakeGuid("{20BAF568-7811-44FB-91C4-310AB848C347}");
inline constexpr IID IID_IVxKMCProcessList = MakeGuid("{E572404C-B160-45A1-A803-379268DE3F17}");
inline constexpr IID IID_IVxKMCInteractionDetail = MakeGuid("{06C1DF39-CA3D-4591-98BA-4B13FAD37316}");
inline constexpr IID IID_IVxKMCInteraction = MakeGuid("{7618166C-BFBF-4E30-9B15-937727A8156C}");
inline constexpr IID IID_IVxKMCInteractionList = MakeGuid("{3E85B70A-8F83-44D1-B1F2-7FAD725D82AE}");
inline constexpr IID IID_IVxKMCConfiguration = MakeGuid("{6437D02A-1F0F-4CF7-BD1F-66ED7451E91E}");
inline constexpr IID IID_IVxKMCConfigurationHistory = MakeGuid("{E4227F83-8749-4B54-9143-9A20F9E6757C}");
inline constexpr IID IID_IVxKMCConfigurationHistoryAction =
    MakeGuid("{02565C26-0DA3-4AC2-958C-0A3883EA575F}");
inline constexpr IID IID_IVxOstrelToXML = MakeGuid("{67D5E4D2-1308-416C-AFAB-937A38AD82CF}");
inline constexpr IID IID_IVxXMLToOstrel = MakeGuid("{60E5CDD3-1EA4-4498-9954-BE204AECD8F1}");
inline constexpr IID IID_IVxKMCSerializer = MakeGuid("{31BCEBE5-5DF3-407D-9AD8-DDEF3EBFF2F8}");

inline constexpr CLSID CLSID_KMCLattice = MakeGuid("{49B64444-F0A7-48F5-BB80-0701BBDA1B43}");
inline constexpr CLSID CLSID_KMCLatticeSite = MakeGuid("{FB7B170D-4306-46AC-B015-44436F2C31C8}");
inline constexpr CLSID CLSID_KMCLatticeSiteList = MakeGuid("{E7A4339E-3416-4B38-B5E6-8BB2D77A1F37}");
inline constexpr CLSID CLSID_KMCSpecies = MakeGuid("{D62EF83F-D399-4FFC-972E-543412F24D6E}");
inline constexpr CLSID CLSID_KMCSpeciesList = MakeGuid("{6559EBD3-9DE8-43CC-8BCD-63E59FB1EA2A}");
inline constexpr CLSID CLSID_KMCSiteSpecification = MakeGuid("{13CA3D97-FC28-4ADF-B11B-421EFD7F76FA}");
inline constexpr CLSID CLSID_KMCActiveSite = MakeGuid("{EA01A1C6-EDF1-432C-A650-3A3A4D820A21}");
inline constexpr CLSID CLSID_KMCBlockingSite = MakeGuid("{34837BC7-20CD-46C0-871D-55B346C635F5}");
inline constexpr CLSID CLSID_KMCProcess = MakeGuid("{DFEC2180-9ECC-4BE9-A1A1-5A46B0BDA241}");
inline constexpr CLSID CLSID_KMCProcessList = MakeGuid("{3AA9461A-47BC-47E3-A054-4981F5E238F5}");
inline constexpr CLSID CLSID_KMCInteractionDetail = MakeGuid("{5792886D-D139-4913-B78F-165FEBED75C6}");
inline constexpr CLSID CLSID_KMCInteraction = MakeGuid("{642C1B42-731E-4BAC-A660-AD0256720245}");
inline constexpr CLSID CLSID_KMCConfigurationHistoryAction =
    MakeGuid("{DFDCEF1E-9228-408C-A256-5B1CF181B937}");
inline constexpr CLSID CLSID_KMCConfigurationHistory = MakeGuid("{2DA5AFB1-CA45-49CE-B950-B5EE63458A7C}");
inline constexpr CLSID CLSID_KMCConfiguration = MakeGuid("{67525319-111D-479C-B860-DF24F82F18FF}");
inline constexpr CLSID CLSID_OstrelToXML = MakeGuid("{8E50D69A-B7AC-4345-AF6F-1516F727F196}");
inline constexpr CLSID CLSID_XMLToOstrel = MakeGuid("{901DD93A-E0F0-4D02-A089-C74FA4F3CCFC}");
// Has no row in the class table: the host creates interaction lists through the class itself.
inline constexpr CLSID CLSID_KMCInteractionList = MakeGuid("{C02C1B78-BDD6-4783-96DB-D44D72F0882A}");
