// The main window itself: opening, the name field's sources and the menu.
#include <gtest/gtest.h>

#include "app/resource_ids.h"
#include "tests/app/app_fixture.h"

namespace qs {
namespace {

using Log = std::vector<std::string>;

class MainDialogTest : public test::AppTest {};

TEST_F(MainDialogTest, OpeningMakesItTheMainWindow) {
  EXPECT_EQ(state_.mainWindow, &main());
  EXPECT_EQ(main().placement(), "screen");
  EXPECT_TRUE(main().hasIcon());
  EXPECT_TRUE(main().acceptsFiles());
}

TEST_F(MainDialogTest, TheFirstDroppedFileReplacesTheName) {
  main().type(IDC_MAIN_FILE_NAME, "old");
  main().drop({"C:\\a\\första.txt", "C:\\b.txt", "C:\\c.txt"});
  EXPECT_EQ(main().text(IDC_MAIN_FILE_NAME), "C:\\a\\första.txt");
  main().drop({});
  EXPECT_EQ(main().text(IDC_MAIN_FILE_NAME), "C:\\a\\första.txt");
}

TEST_F(MainDialogTest, ChooseFileSetsTheNameOnlyWhenChosen) {
  ui_.chooseFile("C:\\data\\отчёт.txt");
  main().click(IDC_MAIN_CHOOSE_FILE);
  EXPECT_EQ(main().text(IDC_MAIN_FILE_NAME), "C:\\data\\отчёт.txt");
  ui_.chooseFile(std::nullopt);
  main().click(IDC_MAIN_CHOOSE_FILE);
  EXPECT_EQ(main().text(IDC_MAIN_FILE_NAME), "C:\\data\\отчёт.txt");
  EXPECT_EQ(ui_.log(),
            (Log(2,
                 "open@101: Välj fil... | Alla filer (*.*)|*.* Krypterade filer (*.encrypted)|*.encrypted "
                 "| * | ")));
}

TEST_F(MainDialogTest, TheCaMenuCreatesACertificationKeyPair) {
  ui_.onDialog(IDD_KEY_PAIR, [](test::FakeView& v) {
    EXPECT_EQ(v.text(IDC_KEY_PAIR_NAME_LABEL), "Namn på organisation:");
    v.close();
  });
  main().click(IDM_CREATE_CERT_KEY_PAIR);
  EXPECT_TRUE(state_.keyGenCertificationMode);
  EXPECT_EQ(ui_.log(), (Log{"dialog 109@101", "end 109: 0"}));
}

class MainDialogQuit : public test::AppTest, public ::testing::WithParamInterface<int> {};

TEST_P(MainDialogQuit, EndsWithOneWhicheverWay) {
  if (GetParam() == 0) {
    main().close();
  } else {
    main().click(GetParam());
  }
  EXPECT_EQ(ui_.log(), (Log{"end 101: 1"}));
}

INSTANTIATE_TEST_SUITE_P(ButtonMenuAndCloseBox, MainDialogQuit,
                         ::testing::Values(IDC_MAIN_QUIT, IDM_QUIT, 0));

TEST_F(MainDialogTest, EscapeLeavesTheProgramRunning) {
  main().type(IDC_MAIN_FILE_NAME, "C:\\plan.txt");
  main().pressEscape();
  EXPECT_FALSE(main().ended());
  EXPECT_EQ(main().text(IDC_MAIN_FILE_NAME), "C:\\plan.txt");
  main().click(IDC_MAIN_QUIT);
  EXPECT_EQ(ui_.log(), (Log{"end 101: 1"}));
}

}  // namespace
}  // namespace qs
