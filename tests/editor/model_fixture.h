#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "editor/form_driver.h"
#include "editor/form_model.h"
#include "image/message.h"

namespace mk843nb {

// A fresh start driven through FormDriver, as a user would.
class ModelTest : public ::testing::Test {
protected:
    FormModel model;
    FormDriver user{model};

    const ControlState& Ctl(std::string_view name) const {
        const ControlState* c = model.Find(name);
        EXPECT_NE(c, nullptr) << name;
        return *c;
    }
    std::string Text(std::string_view name) const { return Ctl(name).text; }
    std::string Item(std::string_view name) const {
        const ControlState& c = Ctl(name);
        return c.itemIndex < 0 ? std::string() : c.items[static_cast<std::size_t>(c.itemIndex)];
    }
    int ItemOf(std::string_view name, std::string_view text) const {
        const ControlState& c = Ctl(name);
        for (std::size_t i = 0; i < c.items.size(); ++i)
            if (c.items[i] == text) return static_cast<int>(i);
        ADD_FAILURE() << "no item '" << text << "' in " << name;
        return -1;
    }
    void Pick(std::string_view list, std::string_view text) {
        user.Select(list, ItemOf(list, text));
    }
    std::uint8_t Byte(std::size_t offset) const { return model.Image()[offset]; }
    std::uint16_t Word(std::size_t offset) const { return GetWord(model.Image(), offset); }
    // The texts of the messages shown since the last call.
    std::vector<std::string> Shown() {
        std::vector<std::string> texts;
        for (const Message& m : user.TakeMessages()) texts.push_back(m.text);
        return texts;
    }
    void Load(const PagerImage& image) { user.ReplaceImage(image); }
    static PagerImage DefaultWith(
        std::initializer_list<std::pair<std::size_t, std::uint8_t>> bytes) {
        PagerImage image = DefaultImage();
        for (auto [offset, value] : bytes) image[offset] = value;
        return image;
    }
};

}  // namespace mk843nb
