#include "framework/handles.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace {

static_assert(!std::is_copy_constructible_v<fw::UniqueBitmap>);
static_assert(!std::is_copy_assignable_v<fw::UniqueRegistryKey>);
static_assert(std::is_nothrow_move_constructible_v<fw::UniqueKernelHandle>);

TEST(HandleOwners, DeleteWhatTheyOwnExactlyOnce) {
  const DWORD before = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  {
    fw::UniqueBitmap a(::CreateBitmap(8, 8, 1, 32, nullptr));
    ASSERT_TRUE(a);
    fw::UniqueBitmap b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_TRUE(b);
    b = fw::UniqueBitmap(::CreateBitmap(4, 4, 1, 32, nullptr));  // the first one is deleted here
  }
  EXPECT_EQ(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), before);
}

TEST(HandleOwners, ReleaseHandsOwnershipBack) {
  fw::UniqueKernelHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE raw = event.release();
  EXPECT_FALSE(event);
  EXPECT_NE(::WaitForSingleObject(raw, 0), WAIT_FAILED);  // still open
  ::CloseHandle(raw);
}

TEST(HandleOwners, FileOwnerTreatsInvalidHandleAsEmpty) {
  fw::UniqueFile missing(::CreateFileW(L"Z:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(missing);
}

TEST(HandleOwners, SelectObjectIsUndoneAtScopeEnd) {
  fw::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
  fw::UniqueBitmap bitmap(::CreateBitmap(8, 8, 1, 1, nullptr));
  HGDIOBJ original = ::GetCurrentObject(dc.get(), OBJ_BITMAP);
  {
    fw::ScopedSelectObject select(dc.get(), bitmap.get());
    EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
  }
  EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), original);
}

}  // namespace
