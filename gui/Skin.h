#pragma once

#include "gui/Texture.h"

#include <SDL.h>

#include <array>
#include <memory>
#include <string>

// A stretchable frame of nine images: corners keep their size, edges stretch along one
// axis and the centre both ways. Windows, buttons and input lines are drawn with one.
class Skin {
public:
    Skin() = default;
    explicit Skin(const std::string& base);

    // Loads base + "-left-top.png" and the eight other pieces; a missing piece is null.
    void loadSkin(const std::string& base);
    void drawSkin(SDL_Renderer* renderer, int x, int y, int width, int height) const;

private:
    enum Piece {
        LeftTop,
        MiddleTop,
        RightTop,
        LeftCenter,
        MiddleCenter,
        RightCenter,
        LeftBottom,
        MiddleBottom,
        RightBottom,
    };

    int pieceWidth(Piece piece) const;
    int pieceHeight(Piece piece) const;
    void drawPiece(SDL_Renderer* renderer, Piece piece, int x, int y, int width, int height) const;

    std::array<std::unique_ptr<Texture>, 9> pieces;
};
