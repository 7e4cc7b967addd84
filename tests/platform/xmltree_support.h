// Helpers shared by the XML tree tests: what a call raised, a tree's children as text, and a
// builder that makes trees through the public interface, the way a document writer does.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "nox/result.h"
#include "xmltree/xmltree.h"

namespace xmltreetest {

// The NoxResult `action` raises; a test failure when it raises none.
inline NoxResult Raised(const std::function<void()>& action) {
    try {
        action();
    } catch (const NoxResult& result) {
        return result;
    }
    ADD_FAILURE() << "no NoxResult was raised";
    return NoxResult(S_OK);
}

inline const xmlElement* ElementAt(const xmlElement& element, size_t index) {
    if (index >= element.GetNumChildren()) return nullptr;
    return dynamic_cast<const xmlElement*>(element.Children_begin()[static_cast<std::ptrdiff_t>(index)]);
}

// The children as "<name>" for elements and "'text'" for text nodes, comma separated.
inline std::string ChildList(const xmlElement& element) {
    std::string list;
    for (const xmlNode* child : element.Children()) {
        if (!list.empty()) list += ',';
        if (const auto* text = dynamic_cast<const xmlText*>(child)) {
            list += "'" + text->Text() + "'";
        } else {
            list += "<" + dynamic_cast<const xmlElement*>(child)->Name() + ">";
        }
    }
    return list;
}

struct Builder {
    xmlTree tree;

    xmlElement* Add(xmlElement* parent, std::string_view name) {
        return tree.AddElement(parent, tree.FindElementClass(name));
    }
    void Set(xmlElement* element, std::string_view name, std::string value) {
        tree.AddAttribute(element, tree.FindAttributeClass(name), std::move(value));
    }
    static void Text(xmlElement* element, std::string text) {
        element->AddChild(std::make_unique<xmlText>(std::move(text)));
    }
};

// A fresh folder of the running test's own (tests may run side by side), removed with the object.
class ScratchFolder {
public:
    ScratchFolder()
        : path_(std::filesystem::path(::testing::TempDir()) /
                (std::string(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name()) + "." +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string operator/(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string Contents(const std::string& path) {
    std::ostringstream contents;
    contents << std::ifstream(path, std::ios::binary).rdbuf();
    return contents.str();
}

inline void Write(const std::string& path, std::string_view contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

}  // namespace xmltreetest
