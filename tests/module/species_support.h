// Shared fixture of the species tests: a species list linked to a document that allows every
// edit, and readers of what a list and its species hold.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "species/species_list.h"
#include "support.h"

namespace kmctest {

// Everything a species shows through its interface.
struct SpeciesValues {
    std::string name, category;
    double radius = 0;
    LONG charge = 0, color = 0;
    friend bool operator==(const SpeciesValues&, const SpeciesValues&) = default;
    friend std::ostream& operator<<(std::ostream& out, const SpeciesValues& v) {
        return out << v.name << '/' << v.category << '/' << v.radius << '/' << v.charge << '/' << v.color;
    }
};

inline SpeciesValues ValuesOf(IVxKMCSpecies* species) {
    SpeciesValues values;
    NoxBSTR name, category;
    EXPECT_EQ(species->get_Name(name.Put()), S_OK);
    EXPECT_EQ(species->get_Category(category.Put()), S_OK);
    EXPECT_EQ(species->get_Radius(&values.radius), S_OK);
    EXPECT_EQ(species->get_Charge(&values.charge), S_OK);
    EXPECT_EQ(species->get_Color(&values.color), S_OK);
    values.name = name.ToTString();
    values.category = category.ToTString();
    return values;
}

class SpeciesFixture : public ::testing::Test {
protected:
    SpeciesFixture() {
        ON_CALL(document_, CanEdit()).WillByDefault(::testing::Return(NoxResult(S_OK)));
        list_->SetParent(&document_, nullptr, nullptr, nullptr);
    }

    static HRESULT Create(IVxKMCSpeciesList* list, const char* name,
                          NoxComPtr<IVxKMCSpecies>* created = nullptr) {
        NoxComPtr<IVxKMCSpecies> species;
        HRESULT hr = list->CreateSpecies(Text(name).Get(), species.Put());
        if (created != nullptr) *created = species;
        return hr;
    }
    // A new species of this fixture's list; the creation must succeed.
    NoxComPtr<IVxKMCSpecies> Add(const char* name) {
        NoxComPtr<IVxKMCSpecies> species;
        EXPECT_EQ(Create(list_.Get(), name, &species), S_OK) << TakeErrorDescription();
        return species;
    }
    NoxComPtr<IVxKMCSpecies> Item(LONG index) {
        NoxComPtr<IVxKMCSpecies> species;
        EXPECT_EQ(list_->get_Item(index, species.Put()), S_OK);
        return species;
    }
    static KMCSpecies& Raw(const NoxComPtr<IVxKMCSpecies>& species) {
        return *KMCSpecies::FromInterface(species.Get());
    }
    static std::vector<std::string> Names(IVxKMCSpeciesList* list) {
        LONG count = 0;
        EXPECT_EQ(list->get_Count(&count), S_OK);
        std::vector<std::string> names;
        for (LONG i = 0; i < count; ++i) {
            NoxComPtr<IVxKMCSpecies> species;
            EXPECT_EQ(list->get_Item(i, species.Put()), S_OK);
            names.push_back(ValuesOf(species.Get()).name);
        }
        return names;
    }
    std::vector<std::string> Names() { return Names(list_.Get()); }
    // A text property of the list, such as get_VacancySymbol.
    std::string Read(HRESULT (IVxKMCSpeciesList::*get)(BSTR*)) {
        NoxBSTR text;
        EXPECT_EQ((list_.Get()->*get)(text.Put()), S_OK);
        return text.ToTString();
    }

    ::testing::NiceMock<MockDocument> document_;
    NoxComPtr<KMCSpeciesList> list_ = KMCSpeciesList::Create();
};

}  // namespace kmctest
