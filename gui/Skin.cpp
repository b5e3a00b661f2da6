#include "gui/Skin.h"

#include "gui/TextureSource.h"

namespace {

const char* const pieceSuffixes[] = {
    "-left-top.png",
    "-middle-top.png",
    "-right-top.png",
    "-left-center.png",
    "-middle-center.png",
    "-right-center.png",
    "-left-bottom.png",
    "-middle-bottom.png",
    "-right-bottom.png",
};

}

Skin::Skin(const std::string& base)
{
    loadSkin(base);
}

void Skin::loadSkin(const std::string& base)
{
    for (size_t i = 0; i < pieces.size(); ++i)
        pieces[i] = loadTexture(base + pieceSuffixes[i]);
}

int Skin::pieceWidth(Piece piece) const
{
    return pieces[piece] ? pieces[piece]->getWidth() : 0;
}

int Skin::pieceHeight(Piece piece) const
{
    return pieces[piece] ? pieces[piece]->getHeight() : 0;
}

// A frame smaller than its corners gives edges and a centre of zero or negative size,
// which are left out.
void Skin::drawPiece(SDL_Renderer* renderer, Piece piece, int x, int y, int width, int height) const
{
    if (!pieces[piece] || !pieces[piece]->getTexture() || width <= 0 || height <= 0)
        return;
    SDL_Rect destination { x, y, width, height };
    SDL_RenderCopy(renderer, pieces[piece]->getTexture(), nullptr, &destination);
}

void Skin::drawSkin(SDL_Renderer* renderer, int x, int y, int w, int h) const
{
    drawPiece(renderer, LeftTop, x, y, pieceWidth(LeftTop), pieceHeight(LeftTop));
    drawPiece(renderer, RightTop, x + w - pieceWidth(RightTop), y, pieceWidth(RightTop), pieceHeight(RightTop));
    drawPiece(renderer, MiddleTop, x + pieceWidth(LeftTop), y,
        w - pieceWidth(RightTop) - pieceWidth(LeftTop), pieceHeight(MiddleTop));
    drawPiece(renderer, LeftBottom, x, y + h - pieceHeight(LeftBottom), pieceWidth(LeftBottom), pieceHeight(LeftBottom));
    drawPiece(renderer, RightBottom, x + w - pieceWidth(RightBottom), y + h - pieceHeight(RightBottom),
        pieceWidth(RightBottom), pieceHeight(RightBottom));
    drawPiece(renderer, MiddleBottom, x + pieceWidth(LeftBottom), y + h - pieceHeight(MiddleBottom),
        w - pieceWidth(RightBottom) - pieceWidth(LeftBottom), pieceHeight(MiddleBottom));
    drawPiece(renderer, LeftCenter, x, y + pieceHeight(LeftTop),
        pieceWidth(LeftCenter), h - pieceHeight(LeftBottom) - pieceHeight(LeftTop));
    drawPiece(renderer, RightCenter, x + w - pieceWidth(RightCenter), y + pieceHeight(RightTop),
        pieceWidth(RightCenter), h - pieceHeight(RightBottom) - pieceHeight(RightTop));
    drawPiece(renderer, MiddleCenter, x + pieceWidth(LeftCenter), y + pieceHeight(MiddleTop),
        w - pieceWidth(RightCenter) - pieceWidth(LeftCenter), h - pieceHeight(MiddleBottom) - pieceHeight(MiddleTop));
}
