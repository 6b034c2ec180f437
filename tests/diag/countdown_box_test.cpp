#include "diag/countdown_box.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_backend.h"

namespace {

using platform::ui::IDCANCEL;
using platform::ui::IDOK;
using testing_support::ScriptedBackend;

TEST(CountdownBox, CountsFromFifteenAndClosesAsCancel) {
  auto backend = std::make_unique<ScriptedBackend>();
  ScriptedBackend* ui = backend.get();
  platform::ui::InstallBackend(std::move(backend));
  EXPECT_EQ(CountdownBox::Show("text", "/usr/bin/prog"), IDCANCEL);
  const auto& captions = ui->boxes.at(0).captions;
  ASSERT_EQ(captions.size(), 15u);
  EXPECT_EQ(captions.front(), "15 - /usr/bin/prog");
  EXPECT_EQ(captions[1], "14 - /usr/bin/prog");
  EXPECT_EQ(captions.back(), "01 - /usr/bin/prog");
}

TEST(CountdownBox, InputStopsTheCountdownAndRestoresTheCaption) {
  auto backend = std::make_unique<ScriptedBackend>();
  ScriptedBackend* ui = backend.get();
  backend->drive = [](platform::ui::TimedBox& box, platform::ui::TimedBoxHandler& handler) {
    handler.OnTick(box);
    handler.OnTick(box);
    handler.OnInput(box);
    for (int i = 0; i < 20; ++i)
      handler.OnTick(box);  // late ticks change nothing
    box.EndWith(IDOK);
  };
  platform::ui::InstallBackend(std::move(backend));
  EXPECT_EQ(CountdownBox::Show("text", "/p"), IDOK);
  EXPECT_EQ(ui->boxes.at(0).captions,
            (std::vector<std::string>{"15 - /p", "14 - /p", "13 - /p", "/p"}));
}

}  // namespace
