// Shared fixture of the species tests: a species list linked to a document that allows every
// edit, and small readers of what the list holds.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "species/species_list.h"
#include "support.h"

namespace kmctest {

class SpeciesFixture : public ::testing::Test {
protected:
    SpeciesFixture() {
        ON_CALL(document_, CanEdit()).WillByDefault(::testing::Return(NoxResult(S_OK)));
        list_->SetParent(&document_, nullptr, nullptr, nullptr);
    }

    static HRESULT Create(IVxKMCSpeciesList* list, const char* name) {
        NoxComPtr<IVxKMCSpecies> species;
        return list->CreateSpecies(Text(name).Get(), species.Put());
    }
    HRESULT Create(const char* name) { return Create(list_.Get(), name); }
    // A new species of this fixture's list; the creation must succeed.
    NoxComPtr<IVxKMCSpecies> Add(const char* name) {
        NoxComPtr<IVxKMCSpecies> species;
        EXPECT_EQ(list_->CreateSpecies(Text(name).Get(), species.Put()), S_OK) << TakeErrorDescription();
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
    static std::string Name(IVxKMCSpecies* species) {
        NoxBSTR name;
        EXPECT_EQ(species->get_Name(name.Put()), S_OK);
        return name.ToTString();
    }
    static std::vector<std::string> Names(IVxKMCSpeciesList* list) {
        LONG count = 0;
        EXPECT_EQ(list->get_Count(&count), S_OK);
        std::vector<std::string> names;
        for (LONG i = 0; i < count; ++i) {
            NoxComPtr<IVxKMCSpecies> species;
            EXPECT_EQ(list->get_Item(i, species.Put()), S_OK);
            names.push_back(Name(species.Get()));
        }
        return names;
    }
    std::vector<std::string> Names() { return Names(list_.Get()); }

    ::testing::NiceMock<MockDocument> document_;
    NoxComPtr<KMCSpeciesList> list_ = KMCSpeciesList::Create();
};

}  // namespace kmctest
