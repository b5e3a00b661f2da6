#include "gui/Button.h"
#include "gui/CheckBox.h"
#include "gui/Command.h"
#include "gui/Image.h"
#include "gui/Label.h"
#include "gui/Screen.h"
#include "gui/ToggleButton.h"
#include "net/TextureRegistry.h"
#include "support/HeadlessWindow.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool sameRect(const SDL_Rect& a, const SDL_Rect& b)
{
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

TEST(ImageCropTest, SourceIsCutToTheWidgetsAspectAboutTheCentre)
{
    const struct {
        int tw, th, w, h;
        bool crop;
        SDL_Rect expected;
    } cases[] = {
        { 2000, 1000, 1024, 768, true, { 333, 0, 1333, 1000 } },
        { 1000, 2000, 1024, 768, true, { 0, 625, 1000, 750 } },
        { 800, 600, 1024, 768, true, { 0, 0, 800, 600 } },
        { 2000, 1000, 1024, 768, false, { 0, 0, 2000, 1000 } },
    };
    for (const auto& c : cases) {
        SDL_Rect source = Image::sourceRect(c.tw, c.th, c.w, c.h, c.crop);
        EXPECT_TRUE(sameRect(source, c.expected))
            << c.tw << "x" << c.th << " gives " << source.x << "," << source.y << "," << source.w << "," << source.h;
    }
}

TEST(LabelLayoutTest, BreaksAtTheLastFittingSpaceAndCutsLongWords)
{
    BlockFont font; // 10 pixels a byte
    const struct {
        const char* text;
        int width;
        std::vector<std::string> lines;
    } cases[] = {
        { "short", 100, { "short" } },
        { "aaaa bbbb cccc", 100, { "aaaa bbbb", "cccc" } },
        { "aaaa bbbb cccc dddd eeee", 100, { "aaaa bbbb", "cccc dddd", "eeee" } },
        { "abcdefghijklmno", 100, { "abcdefghij", "klmno" } },
        { "abc", 5, {} },
        { "", 100, { "" } },
    };
    for (const auto& c : cases) {
        Label label(0, 0, c.width, 35, c.text, &font);
        EXPECT_EQ(label.lines, c.lines) << c.text;
    }
}

TEST(LabelLayoutTest, WithoutAFontThereAreNoLines)
{
    Label label(0, 0, 100, 35, "anything", nullptr);
    EXPECT_TRUE(label.lines.empty());
}

class ControlsTest : public testing::Test {
protected:
    void SetUp() override
    {
        data.writeImage("images/on.png", 8, 8, { 0, 255, 0, 255 });
        data.writeImage("images/off.png", 8, 8, { 255, 0, 0, 255 });
        data.writeImage("images/checkbox-on.png", 8, 8, { 0, 0, 255, 255 });
        data.writeImage("images/checkbox-off.png", 8, 8, { 255, 255, 0, 255 });
        initTextures(display.renderer);
        display.clear();
    }
    void TearDown() override { clearTextures(); }

    HeadlessWindow display;
    TestDataFolder data;
};

TEST_F(ControlsTest, LabelDrawsOneLineEachTextHeightDown)
{
    BlockFont font;
    Label wrapped(10, 10, 100, 35, "aaaa bbbb cccc", &font);
    wrapped.draw(display.renderer, 10, 10);
    EXPECT_EQ(display.pixelAt(95, 15).r, 255);  // "aaaa bbbb" is 90 wide
    EXPECT_EQ(display.pixelAt(105, 15).r, 0);
    EXPECT_EQ(display.pixelAt(45, 35).r, 255);  // "cccc" one line down
    EXPECT_EQ(display.pixelAt(55, 35).r, 0);

    Label unbroken(0, 100, 5, 35, "abc", &font);
    unbroken.draw(display.renderer, 0, 100);
    EXPECT_EQ(display.pixelAt(25, 105).r, 255); // the whole text on one line
}

struct SelectionModel : ToggleButtonModel {
    bool isSelected(int value) override { return value == selected; }
    void select(int value) override { selected = value; }
    int selected = 1;
};

TEST_F(ControlsTest, ToggleButtonDrawsNothingUntilBothImagesExist)
{
    SelectionModel model;
    ToggleButton halfLoaded(0, 0, 8, 8, 1, &model, "images/on.png", "images/missing.png");
    halfLoaded.draw(display.renderer, 0, 0);
    EXPECT_EQ(display.pixelAt(4, 4).g, 0);

    ToggleButton first(0, 0, 8, 8, 1, &model, "images/on.png", "images/off.png");
    ToggleButton second(0, 0, 8, 8, 2, &model, "images/on.png", "images/off.png");
    first.draw(display.renderer, 0, 0);
    second.draw(display.renderer, 10, 0);
    EXPECT_EQ(display.pixelAt(4, 4).g, 255);
    EXPECT_EQ(display.pixelAt(14, 4).r, 255);

    EXPECT_TRUE(second.onMouseDown(1, 1, 1));
    EXPECT_EQ(model.selected, 1); // the press selects nothing
    EXPECT_TRUE(second.onMouseUp(1, 1, 1));
    EXPECT_EQ(model.selected, 2);
}

struct CountingCommand : Command {
    explicit CountingCommand(bool* deleted = nullptr)
        : deleted(deleted)
    {
    }
    ~CountingCommand() override
    {
        if (deleted)
            *deleted = true;
    }
    void execute() override { ++runs; }
    int runs = 0;
    bool* deleted;
};

TEST_F(ControlsTest, ButtonRunsOnAReleaseThatBeganElsewhere)
{
    Screen screen(display.window);
    CountingCommand command;
    screen.addChild(std::make_unique<Widget>(0, 0, 100, 100));
    screen.addChild(std::make_unique<Button>(200, 200, 100, 50, "Go", &command, true));
    screen.onMouseDown(1, 10, 10);
    EXPECT_EQ(command.runs, 0);
    screen.onMouseUp(1, 250, 220);
    EXPECT_EQ(command.runs, 1);
}

TEST_F(ControlsTest, ImageButtonStretchesItsIconAndOwnsItsCommandWhenTold)
{
    bool deleted = false;
    {
        Button button(0, 0, 40, 20, "images/on.png", std::make_unique<CountingCommand>(&deleted), false);
        EXPECT_TRUE(button.text.empty());
        button.draw(display.renderer, 0, 0);
        EXPECT_EQ(display.pixelAt(39, 19).g, 255);
        EXPECT_EQ(display.pixelAt(40, 20).g, 0);
    }
    EXPECT_TRUE(deleted);

    Button notOwning(0, 0, 10, 10, "Label.PNG", nullptr, true);
    EXPECT_EQ(notOwning.text, "Label.PNG"); // the image test is case-sensitive
    EXPECT_TRUE(notOwning.onMouseUp(1, 0, 0));
}

TEST_F(ControlsTest, CheckBoxFlipsOnThePressOnly)
{
    CheckBox box(0, 0, 8, 8, false);
    box.draw(display.renderer, 0, 0);
    EXPECT_EQ(display.pixelAt(2, 2).g, 255); // off picture: yellow
    EXPECT_TRUE(box.onMouseDown(1, 2, 2));
    EXPECT_TRUE(box.isOn);
    EXPECT_FALSE(box.onMouseUp(1, 2, 2));
    EXPECT_TRUE(box.isOn);
    box.draw(display.renderer, 0, 0);
    EXPECT_EQ(display.pixelAt(2, 2).b, 255);
    EXPECT_EQ(display.pixelAt(2, 2).g, 0);
}

}
