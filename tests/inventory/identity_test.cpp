// Who a pager placed on a board is: its exact latest image, else call 1's
// address with its own levels, else nobody.

#include <chrono>

#include "image/fields.h"
#include "inventory_fixture.h"

namespace mk843nb::inventory::test {
namespace {

using namespace std::chrono_literals;
using By = Identity::By;

const Clock::time_point kStart = Clock::time_point(std::chrono::milliseconds(1'796'000'000'000));

class IdentityTest : public InventoryTest {
protected:
    std::int64_t PagerNamed(const std::string& label) {
        const auto pager = inventory_->EnsurePager({.label = label, .plan = "/plans/north"});
        EXPECT_TRUE(pager.ok()) << pager.error;
        return pager.value->id;
    }
    void Put(std::int64_t pager, ImageKind kind, const PagerImage& image, Clock::time_point time) {
        const auto id =
            inventory_->Record({.pagerId = pager, .kind = kind, .image = image, .time = time});
        ASSERT_TRUE(id.ok()) << id.error;
    }
};

std::vector<std::string> Labels(const Identity& identity) {
    std::vector<std::string> labels;
    for (const Pager& pager : identity.pagers) labels.push_back(pager.label);
    return labels;
}

PagerImage Damaged(PagerImage image) {
    image[20] ^= 0x5A;  // a byte of the checksummed range, the stored sum left as it was
    return image;
}

TEST_F(IdentityTest, APlacedPagerIsKnownByItsLatestImageElseByItsAddressAndLevels) {
    const PagerImage factory = ImageOf(6000, 6300, 30, 30, 30);
    const PagerImage ladder = ImageOf(6009, 6345, 41, 42, 43);
    const PagerImage ladderBefore = ImageOf(7000, 7300, 41, 42, 43);
    const PagerImage engine = ImageOf(6698, 7073, 50, 51, 52);
    const PagerImage engineChanged =
        ImageOf(6698, 7073, 50, 51, 52, 9);  // changed on the bench since
    const PagerImage twinA = ImageOf(8000, 8300, 60, 61, 62, 1);
    const PagerImage twinB = ImageOf(8000, 8300, 60, 61, 62, 2);

    const auto ladderId = PagerNamed("Ladder 3");
    Put(ladderId, ImageKind::PreWrite, ladderBefore, kStart);
    Put(ladderId, ImageKind::Write, ladder, kStart + 1min);
    Put(ladderId, ImageKind::Read, ladder,
        kStart + 2min);  // read again since: still what was written
    const auto engineId = PagerNamed("Engine 2");
    Put(engineId, ImageKind::Write, engine, kStart + 3min);
    // New pagers read before their first write: every one holds the factory image.
    Put(PagerNamed("New 1"), ImageKind::PreWrite, factory, kStart + 4min);
    Put(PagerNamed("New 2"), ImageKind::PreWrite, factory, kStart + 5min);
    // Two pagers set to one address and the same levels, their images otherwise apart.
    Put(PagerNamed("Twin A"), ImageKind::Write, twinA, kStart + 6min);
    Put(PagerNamed("Twin B"), ImageKind::Write, twinB, kStart + 7min);

    PagerImage unreadable = Damaged(engine);
    SetWord(unreadable, FieldNamed("T11").offset,
            0xFFFF);  // not a tone: the address cannot be read

    struct Case {
        const char* name;
        PagerImage held;
        By by;
        std::vector<std::string> labels;
        bool holdsLastWrite;
    };
    const Case cases[] = {
        {"the image last written and read since", ladder, By::ExactImage, {"Ladder 3"}, true},
        {"an older image of a pager, another address", ladderBefore, By::Nobody, {}, false},
        {"changed since, same address and levels",
         engineChanged,
         By::AddressLevels,
         {"Engine 2"},
         false},
        {"the factory image of two new pagers", factory, By::ExactImage, {"New 1", "New 2"}, false},
        {"another image at the twins' address",
         ImageOf(8000, 8300, 60, 61, 62, 3),
         By::AddressLevels,
         {"Twin A", "Twin B"},
         false},
        {"the twins' address at other levels",
         ImageOf(8000, 8300, 60, 61, 63),
         By::Nobody,
         {},
         false},
        {"a damaged memory whose address and levels read",
         Damaged(engine),
         By::AddressLevels,
         {"Engine 2"},
         false},
        {"a damaged memory whose address does not", unreadable, By::Nobody, {}, false},
        {"a pager never seen", ImageOf(9000, 9300, 1, 2, 3), By::Nobody, {}, false},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        const auto identity = inventory_->Identify(each.held);
        ASSERT_TRUE(identity.ok()) << identity.error;
        EXPECT_EQ(identity.value->by, each.by);
        EXPECT_EQ(Labels(*identity.value), each.labels);
        EXPECT_EQ(identity.value->HoldsLastWrite(), each.holdsLastWrite);
    }

    // With one pager its latest record and latest write come along.
    const auto known = inventory_->Identify(ladder);
    ASSERT_TRUE(known.ok() && known.value->latest && known.value->latestWrite);
    EXPECT_EQ(known.value->latest->kind, ImageKind::Read);
    EXPECT_EQ(known.value->latest->time, kStart + 2min);
    EXPECT_EQ(known.value->latestWrite->time, kStart + 1min);
    EXPECT_EQ(*known.value->latestWrite->image, ladder);
}

TEST_F(IdentityTest, APagerWrittenSinceIsNoLongerItsOldImageNorAnOldImportedRecord) {
    const PagerImage first = ImageOf(6009, 6345, 41, 42, 43, 1);
    const PagerImage second = ImageOf(6009, 6345, 41, 42, 43, 2);
    const auto id = PagerNamed("Ladder 3");
    Put(id, ImageKind::Write, first, kStart);
    Put(id, ImageKind::Write, second, kStart + 1h);
    // A backup from before both, imported afterwards, is not the latest image.
    Put(id, ImageKind::Read, ImageOf(6009, 6345, 41, 42, 43, 3), kStart - 1h);

    const auto old = inventory_->Identify(first);
    ASSERT_TRUE(old.ok()) << old.error;
    EXPECT_EQ(old.value->by, By::AddressLevels);
    EXPECT_FALSE(old.value->HoldsLastWrite());

    const auto now = inventory_->Identify(second);
    ASSERT_TRUE(now.ok()) << now.error;
    EXPECT_EQ(now.value->by, By::ExactImage);
    EXPECT_TRUE(now.value->HoldsLastWrite());
    EXPECT_EQ(now.value->latest->time, kStart + 1h);
}

TEST_F(IdentityTest, AWriteThatFailedLeavesAPagerThatDoesNotHoldIt) {
    const PagerImage before = ImageOf(6009, 6345, 41, 42, 43, 1);
    const PagerImage sent = ImageOf(6698, 7073, 41, 42, 43, 2);
    const auto id = PagerNamed("Engine 2");
    Put(id, ImageKind::Write, before, kStart);
    Put(id, ImageKind::Write, sent, kStart + 1h);  // its frames broke off half way
    // Read back after the break: the old address is still in it.
    const auto identity = inventory_->Identify(before);
    ASSERT_TRUE(identity.ok()) << identity.error;
    EXPECT_FALSE(identity.value->HoldsLastWrite());
}

}  // namespace
}  // namespace mk843nb::inventory::test
