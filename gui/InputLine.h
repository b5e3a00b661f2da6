#pragma once

#include "gui/Font.h"
#include "gui/Skin.h"
#include "gui/Texture.h"
#include "gui/Widget.h"

#include <memory>
#include <string>

// One line of editable text in a framed field, with a caret, editing keys, optional
// password masking and a width limit in pixels. Positions count UTF-16 code units.
// SDL text input is switched on exactly while the line has the focus.
class InputLine : public Widget {
public:
    InputLine(int x, int y, int width, int height, const char* initialText, Font* font = getFont(LargeFont));

    std::string getText() const;
    // Pixel width of the displayed text before the caret.
    int caretOffset() const;
    // The caret index nearest to a horizontal pixel offset inside the field.
    int positionAt(int px) const;

    bool onMouseDown(int button, int x, int y) override;
    bool onMouseMove(int buttons, int x, int y) override;
    void draw(SDL_Renderer* renderer, int x, int y) override;
    bool onKeyDown(SDL_Keycode keyCode) override;
    bool onTextInput(const char* utf8) override;
    void setFocus(bool focus) override;
    bool canFocus() const override;

    std::u16string text;
    Font* font;
    int cursor;
    Skin skin;
    int textInset = 50;
    bool password = false;
    std::unique_ptr<Texture> keyboardIcon;
    int rightReserve;

private:
    // The first `units` code units of what is shown (asterisks for a password), as UTF-8.
    std::string displayText(size_t units) const;
    std::string displayText() const;
    int widthOf(size_t units) const;
    SDL_Rect keyboardIconRect() const;
};
