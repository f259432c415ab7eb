// Which page a change leads to and what a button release does, page by page.
#include <gtest/gtest.h>

#include "wizard/PageFlow.h"

namespace fwu {
namespace {

TEST(PageFlow, PageChangesGoOnlyAlongTheWizard) {
    struct Row {
        PageNumber page;
        bool back;
        std::optional<PageNumber> next;
    };
    const Row rows[] = {
        {PAGE_WELCOME, false, PAGE_LOGIN},     {PAGE_LOGIN, false, PAGE_VERIFY},
        {PAGE_VERIFY, false, PAGE_PROGRESS},   {PAGE_PROGRESS, false, PAGE_DONE},
        {PAGE_DONE, false, std::nullopt},      {PAGE_WELCOME, true, std::nullopt},
        {PAGE_LOGIN, true, PAGE_WELCOME},      {PAGE_VERIFY, true, PAGE_LOGIN},
        {PAGE_PROGRESS, true, std::nullopt},   {PAGE_DONE, true, std::nullopt},
        {PageNumber(-1), false, std::nullopt}, {PageNumber(7), true, std::nullopt},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(PageAfter(row.page, row.back), row.next) << row.page << (row.back ? " back" : " forward");
    }
}

TEST(PageFlow, ReleaseRunsTheSlotsCommandOfThePage) {
    using A = ButtonAction;
    // BTN_FORWARD, BTN_SECOND and BTN_CLOSE by page.
    const A expected[5][3] = {
        {A::PageForward, A::EndDialog, A::EndDialog},
        {A::VerifyThenForward, A::PageBack, A::EndDialog},
        {A::PageForward, A::PageBack, A::EndDialog},
        {A::None, A::Retry, A::EndDialog},  // BTN_FORWARD is the blank plate
        {A::None, A::EndDialog, A::EndDialog},
    };
    for (int number = PAGE_WELCOME; number <= PAGE_DONE; ++number) {
        const auto page = static_cast<PageNumber>(number);
        EXPECT_EQ(ReleaseAction(FaceSlot::None, page, false), A::None) << page;
        for (const FaceSlot slot : kFaceSlots) {
            const std::size_t index = SlotIndex(slot);
            EXPECT_EQ(ReleaseAction(slot, page, false), expected[page][index]) << page << " slot " << index;
            EXPECT_EQ(ReleaseAction(slot, page, true), A::None) << "busy, page " << page << " slot " << index;
        }
    }
    EXPECT_EQ(ReleaseAction(static_cast<FaceSlot>(4), PAGE_WELCOME, false), A::None);
    EXPECT_EQ(ReleaseAction(BTN_SECOND, PageNumber(9), false), A::None);
}

}  // namespace
}  // namespace fwu
