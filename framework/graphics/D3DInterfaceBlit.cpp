// The textured drawing of the Direct3D path: textures of images, blits of
// every placement, textured triangles and the read-back of texels.
#include "framework/graphics/D3DInterface.h"

#include "framework/graphics/DDInterface.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/d3d/Direct3DDevice.h"
#include "platform/ddraw/DirectDraw.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Zolt {

using namespace platform;

namespace {

constexpr int kBatchTriangles = 100;

D3DTLVERTEX Vertex(float x, float y, uint32_t colour, float u, float v)
{
    return D3DTLVERTEX{x, y, 0.0f, 1.0f, colour, 0, u, v};
}

// Each channel of a times b / 255, rounded.
uint32_t Modulate(uint32_t a, uint32_t b)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t c = ((a >> shift & 0xFF) * (b >> shift & 0xFF) + 127) / 255;
        out |= c << shift;
    }
    return out;
}

// The part of the source rectangle inside the image; the destination moves
// with the cut. False when nothing is left.
bool CutToImage(Rect& source, float& x, float& y, int width, int height)
{
    const int left = std::max(source.x, 0);
    const int top = std::max(source.y, 0);
    const int right = std::min(source.x + source.width, width);
    const int bottom = std::min(source.y + source.height, height);
    if (right <= left || bottom <= top)
        return false;
    x += float(left - source.x);
    y += float(top - source.y);
    source = Rect(left, top, right - left, bottom - top);
    return true;
}

} // namespace

bool D3DInterface::PrepareImageTextures(MemoryImage* image)
{
    if (!image || !device_)
        return false;
    std::unique_ptr<TextureRecord>& slot = TextureRecordOf(*image);
    auto* record = dynamic_cast<TextureData*>(slot.get());
    if (!record) {
        auto made = std::make_unique<TextureData>();
        made->owner = this;
        made->image = image;
        record = made.get();
        slot = std::move(made);
        if (display_) {
            CriticalSectionLock guard(display_->GetLock());
            textured_.insert(image);
        } else {
            textured_.insert(image);
        }
    }
    if (record->format == 0 || record->imageWidth != image->GetWidth() ||
        record->imageHeight != image->GetHeight() || record->changeCount != image->GetChangeCount() ||
        record->hints != image->GetTextureHints())
        record->Update(*image, *this);
    if (image->IsPurged() && record->format != 0)
        image->DropBits();
    return record->format != 0;
}

bool D3DInterface::SetPieceTexture(DirectDrawSurface* surface)
{
    return !CheckResult(device_->SetTexture(0, surface), "SetTexture gTexture");
}

void D3DInterface::DrawImagePieces(TextureData& record, float x, float y, const Rect& sourceRect, const Color& tint)
{
    Rect source = sourceRect;
    if (!CutToImage(source, x, y, record.imageWidth, record.imageHeight))
        return;
    const uint32_t colour = tint.ToPacked();
    const int right = source.x + source.width;
    const int bottom = source.y + source.height;
    for (int sy = source.y; sy < bottom;) {
        const int row = sy / record.pieceHeight;
        const int yEnd = std::min((row + 1) * record.pieceHeight, bottom);
        for (int sx = source.x; sx < right;) {
            const int column = sx / record.pieceWidth;
            const int xEnd = std::min((column + 1) * record.pieceWidth, right);
            TexturePiece& piece = record.PieceAt(column, row);
            const float lx = float(sx - column * record.pieceWidth);
            const float ly = float(sy - row * record.pieceHeight);
            const float w = float(xEnd - sx);
            const float h = float(yEnd - sy);
            const float u0 = lx / float(piece.width);
            const float v0 = ly / float(piece.height);
            const float u1 = (lx + w) / float(piece.width);
            const float v1 = (ly + h) / float(piece.height);
            const float left = x + float(sx - source.x) - 0.5f;
            const float top = y + float(sy - source.y) - 0.5f;
            D3DTLVERTEX v[4] = {Vertex(left, top, colour, u0, v0), Vertex(left + w, top, colour, u1, v0),
                                Vertex(left, top + h, colour, u0, v1), Vertex(left + w, top + h, colour, u1, v1)};
            if (!SetPieceTexture(piece.surface))
                return;
            if (CheckResult(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, v, 4, 0),
                            "DrawPrimitive (Tri) 1"))
                return;
            sx = xEnd;
        }
        sy = yEnd;
    }
}

void D3DInterface::BlitAt(Image* source, float x, float y, const Rect& sourceRect, const Color& tint, int drawMode,
                          bool filtered)
{
    if (!transforms_.empty()) {
        AffineMatrix m;
        m.PreTranslate(x, y);
        BlitTransformed(source, 0, 0, m, nullptr, tint, drawMode, sourceRect, true, false);
        return;
    }
    auto* image = dynamic_cast<MemoryImage*>(source);
    if (!image || !BeginDraw() || !PrepareImageTextures(image))
        return;
    SetBlendMode(drawMode);
    SetLinearFilter(filtered);
    DrawImagePieces(*static_cast<TextureData*>(image->GetTexture()), x, y, sourceRect, tint);
}

void D3DInterface::BlitTranslated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                                  const Color& tint, int drawMode)
{
    AffineMatrix m;
    m.PreTranslate(x, y);
    BlitTransformed(source, 0, 0, m, &clip, tint, drawMode, sourceRect, true, false);
}

void D3DInterface::BlitMirrored(Image* source, float x, float y, const Rect& sourceRect, const Color& tint,
                                int drawMode, bool filtered)
{
    AffineMatrix m;
    m.PreTranslate(-float(sourceRect.width), 0);
    m.PreScale(-1, 1);
    m.PreTranslate(x, y);
    BlitTransformed(source, 0, 0, m, nullptr, tint, drawMode, sourceRect, filtered, false);
}

void D3DInterface::BlitStretched(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clip,
                                 const Color& tint, int drawMode, bool quick, bool mirrored)
{
    if (sourceRect.width == 0 || sourceRect.height == 0)
        return;
    const float sx = float(destRect.width) / float(sourceRect.width);
    const float sy = float(destRect.height) / float(sourceRect.height);
    AffineMatrix m;
    if (mirrored) {
        m.PreTranslate(-float(sourceRect.width), 0);
        m.PreScale(-sx, sy);
    } else {
        m.PreScale(sx, sy);
    }
    m.PreTranslate(float(destRect.x), float(destRect.y));
    BlitTransformed(source, 0, 0, m, &clip, tint, drawMode, sourceRect, !quick, false);
}

void D3DInterface::BlitRotated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                               const Color& tint, int drawMode, double angle, float centerX, float centerY)
{
    AffineMatrix m;
    m.PreTranslate(-centerX, -centerY);
    m.PreRotate(float(angle));
    m.PreTranslate(x + centerX, y + centerY);
    BlitTransformed(source, 0, 0, m, &clip, tint, drawMode, sourceRect, true, false);
}

void D3DInterface::BlitTransformed(Image* source, float x, float y, const float* matrix3x3, const Rect& clip,
                                   const Color& tint, int drawMode, const Rect& sourceRect, bool filtered)
{
    if (!matrix3x3)
        return;
    AffineMatrix m;
    std::memcpy(&m.m[0][0], matrix3x3, sizeof m.m);
    BlitTransformed(source, x, y, m, &clip, tint, drawMode, sourceRect, filtered, false);
}

void D3DInterface::BlitTransformed(Image* source, float x, float y, const AffineMatrix& matrix, const Rect* clip,
                                   const Color& tint, int drawMode, const Rect& sourceRect, bool filtered,
                                   bool centre)
{
    auto* image = dynamic_cast<MemoryImage*>(source);
    if (!image || !BeginDraw() || !PrepareImageTextures(image))
        return;
    source->SetDrawnFrom(true);
    SetBlendMode(drawMode);
    SetLinearFilter(filtered || !transforms_.empty());
    auto& record = *static_cast<TextureData*>(image->GetTexture());

    Rect cut = sourceRect;
    float shiftX = 0;
    float shiftY = 0;
    if (!CutToImage(cut, shiftX, shiftY, record.imageWidth, record.imageHeight))
        return;
    // Corners are placed relative to the source rectangle's origin (its
    // middle with `centre`), so a cut source keeps its place.
    const float originX = centre ? float(sourceRect.width) / 2 : 0;
    const float originY = centre ? float(sourceRect.height) / 2 : 0;
    // Pixel centres lie at whole coordinates: a plain placement moves the
    // quad's edges half a pixel up and left.
    const float edge = centre ? 0.0f : 0.5f;
    const uint32_t colour = tint.ToPacked();
    const int right = cut.x + cut.width;
    const int bottom = cut.y + cut.height;
    for (int sy = cut.y; sy < bottom;) {
        const int row = sy / record.pieceHeight;
        const int yEnd = std::min((row + 1) * record.pieceHeight, bottom);
        for (int sx = cut.x; sx < right;) {
            const int column = sx / record.pieceWidth;
            const int xEnd = std::min((column + 1) * record.pieceWidth, right);
            const TexturePiece& piece = record.PieceAt(column, row);
            const float lx = float(sx - column * record.pieceWidth);
            const float ly = float(sy - row * record.pieceHeight);
            const float w = float(xEnd - sx);
            const float h = float(yEnd - sy);
            const float relX = float(sx - sourceRect.x) - originX;
            const float relY = float(sy - sourceRect.y) - originY;
            const float local[4][2] = {{relX, relY}, {relX + w, relY}, {relX, relY + h}, {relX + w, relY + h}};
            float corners[4][2];
            for (int i = 0; i < 4; ++i) {
                const AffineMatrix::Point p = matrix.MapPoint(local[i][0], local[i][1]);
                float px = p.x + x;
                float py = p.y + y;
                ApplyStack(px, py);
                corners[i][0] = px - edge;
                corners[i][1] = py - edge;
            }
            DrawQuad(record, column, row, corners, lx / float(piece.width), ly / float(piece.height),
                     (lx + w) / float(piece.width), (ly + h) / float(piece.height), colour, clip);
            sx = xEnd;
        }
        sy = yEnd;
    }
}

void D3DInterface::DrawQuad(TextureData& record, int column, int row, const float corners[4][2], float u0, float v0,
                            float u1, float v1, uint32_t colour, const Rect* clip)
{
    TexturePiece& piece = record.PieceAt(column, row);
    D3DTLVERTEX v[4] = {Vertex(corners[0][0], corners[0][1], colour, u0, v0),
                        Vertex(corners[1][0], corners[1][1], colour, u1, v0),
                        Vertex(corners[2][0], corners[2][1], colour, u0, v1),
                        Vertex(corners[3][0], corners[3][1], colour, u1, v1)};
    bool crosses = false;
    if (clip) {
        const float left = float(clip->x);
        const float top = float(clip->y);
        const float right = left + float(clip->width);
        const float bottom = top + float(clip->height);
        for (const D3DTLVERTEX& p : v)
            crosses |= p.sx < left || p.sy < top || p.sx > right || p.sy > bottom;
    }
    if (!SetPieceTexture(piece.surface))
        return;
    if (crosses) {
        // Around the quad in order: top left, top right, bottom right, bottom left.
        vertices_.assign({v[0], v[1], v[3], v[2]});
        DrawFan(vertices_, *clip, "DrawPrimitive (Tri) 2");
        return;
    }
    CheckResult(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, v, 4, 0), "DrawPrimitive (Tri) 3");
}

namespace {

bool InsideClip(const D3DTLVERTEX* v, const Rect& clip)
{
    const float left = float(clip.x);
    const float top = float(clip.y);
    const float right = left + float(clip.width);
    const float bottom = top + float(clip.height);
    for (int i = 0; i < 3; ++i)
        if (v[i].sx < left || v[i].sy < top || v[i].sx > right || v[i].sy > bottom)
            return false;
    return true;
}

} // namespace

void D3DInterface::DrawTexturedTriangles(Image* texture, const TriVertex (*triangles)[3], int triangleCount,
                                         const Rect& clip, const Color& tint, int drawMode, float offsetX,
                                         float offsetY, bool linear)
{
    auto* image = dynamic_cast<MemoryImage*>(texture);
    if (!image || !triangles || triangleCount <= 0 || !BeginDraw() || !PrepareImageTextures(image))
        return;
    texture->SetDrawnFrom(true);
    SetBlendMode(drawMode);
    SetLinearFilter(linear || !transforms_.empty());
    auto& record = *static_cast<TextureData*>(image->GetTexture());
    const TrianglePlacement placement{offsetX, offsetY, tint.ToPacked(), record.maxU, record.maxV};
    if (record.maxU <= 1 && record.maxV <= 1) {
        DrawTrianglesOnOnePiece(record, triangles, triangleCount, clip, placement);
        return;
    }
    for (int i = 0; i < triangleCount; ++i) {
        D3DTLVERTEX v[3];
        for (int k = 0; k < 3; ++k)
            v[k] = PlaceCorner(triangles[i][k], placement);
        if (!DrawTriangleOverPieces(record, v, clip))
            return;
    }
}

D3DTLVERTEX D3DInterface::PlaceCorner(const TriVertex& t, const TrianglePlacement& placement) const
{
    float x = t.x + placement.offsetX;
    float y = t.y + placement.offsetY;
    ApplyStack(x, y);
    const uint32_t colour = placement.tint == 0xFFFFFFFF ? t.color : Modulate(t.color, placement.tint);
    return Vertex(x - 0.5f, y - 0.5f, colour, t.u * placement.maxU, t.v * placement.maxV);
}

void D3DInterface::DrawTrianglesOnOnePiece(TextureData& record, const TriVertex (*triangles)[3], int triangleCount,
                                           const Rect& clip, const TrianglePlacement& placement)
{
    TexturePiece& piece = record.PieceAt(0, 0);
    const float scaleU = float(record.pieceWidth) / float(piece.width);
    const float scaleV = float(record.pieceHeight) / float(piece.height);
    if (!SetPieceTexture(piece.surface))
        return;
    // Triangles wholly inside the clip go in batches; the others are
    // clipped and drawn one by one.
    std::vector<D3DTLVERTEX>& batch = triangleBatch_;
    batch.clear();
    batch.reserve(size_t(std::min(triangleCount, kBatchTriangles)) * 3);
    auto flush = [&] {
        if (batch.empty())
            return true;
        const bool ok = !CheckResult(device_->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, batch.data(),
                                                            DWORD(batch.size()), 0),
                                     "DrawPrimitive (TriList)");
        batch.clear();
        return ok;
    };
    for (int i = 0; i < triangleCount; ++i) {
        D3DTLVERTEX v[3];
        for (int k = 0; k < 3; ++k) {
            v[k] = PlaceCorner(triangles[i][k], placement);
            v[k].tu *= scaleU;
            v[k].tv *= scaleV;
        }
        if (InsideClip(v, clip)) {
            batch.insert(batch.end(), v, v + 3);
            if (batch.size() >= size_t(kBatchTriangles) * 3 && !flush())
                return;
            continue;
        }
        vertices_.assign(v, v + 3);
        if (!DrawFan(vertices_, clip, "DrawPrimitive (Tri) 4"))
            return;
    }
    flush();
}

bool D3DInterface::DrawTriangleOverPieces(TextureData& record, const D3DTLVERTEX (&v)[3], const Rect& clip)
{
    float minU = 1e30f, maxU = -1e30f, minV = 1e30f, maxV = -1e30f;
    for (const D3DTLVERTEX& corner : v) {
        minU = std::min(minU, corner.tu);
        maxU = std::max(maxU, corner.tu);
        minV = std::min(minV, corner.tv);
        maxV = std::max(maxV, corner.tv);
    }
    if (!(minU <= maxU) || !(minV <= maxV))
        return true; // coordinates that are not numbers
    const bool clipScreen = !InsideClip(v, clip);
    const int c0 = std::clamp(int(std::floor(std::max(minU, -1.0f))), 0, record.columns - 1);
    const int c1 = std::clamp(int(std::floor(std::min(maxU, float(record.columns)))), 0, record.columns - 1);
    const int r0 = std::clamp(int(std::floor(std::max(minV, -1.0f))), 0, record.rows - 1);
    const int r1 = std::clamp(int(std::floor(std::min(maxV, float(record.rows)))), 0, record.rows - 1);
    for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
            // The triangle in this piece's texture coordinates, cut to it.
            TexturePiece& piece = record.PieceAt(c, r);
            const float su = float(record.pieceWidth) / float(piece.width);
            const float sv = float(record.pieceHeight) / float(piece.height);
            vertices_.clear();
            for (const D3DTLVERTEX& corner : v) {
                D3DTLVERTEX moved = corner;
                moved.tu = (corner.tu - float(c)) * su;
                moved.tv = (corner.tv - float(r)) * sv;
                vertices_.push_back(moved);
            }
            ClipPolygon(vertices_, scratch_, ClipField::U, 0, true);
            ClipPolygon(scratch_, vertices_, ClipField::V, 0, true);
            ClipPolygon(vertices_, scratch_, ClipField::U, 1, false);
            ClipPolygon(scratch_, vertices_, ClipField::V, 1, false);
            if (vertices_.size() < 3)
                continue;
            if (!SetPieceTexture(piece.surface))
                return false;
            if (clipScreen) {
                if (!DrawFan(vertices_, clip, "DrawPrimitive (Tri) 4"))
                    return false;
            } else if (CheckResult(device_->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DFVF_TLVERTEX, vertices_.data(),
                                                          DWORD(vertices_.size()), 0),
                                   "DrawPrimitive (Tri) 4")) {
                return false;
            }
        }
    }
    return true;
}

bool D3DInterface::ReadBackTextures(MemoryImage* image, uint32_t* out)
{
    if (!image || !out)
        return false;
    auto* record = dynamic_cast<TextureData*>(image->GetTexture());
    if (!record || record->format == 0 || record->changeCount != image->GetChangeCount() ||
        record->imageWidth != image->GetWidth() || record->imageHeight != image->GetHeight())
        return false;
    const int width = record->imageWidth;
    const int height = record->imageHeight;
    for (int r = 0; r < record->rows; ++r) {
        for (int c = 0; c < record->columns; ++c) {
            TexturePiece& piece = record->PieceAt(c, r);
            if (!piece.surface)
                return false;
            DDSURFACEDESC2 desc;
            std::memset(&desc, 0, sizeof desc);
            desc.dwSize = sizeof desc;
            if (CheckResult(piece.surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr),
                            "Lock Texture"))
                return false;
            const int x0 = c * record->pieceWidth;
            const int y0 = r * record->pieceHeight;
            const int w = std::min(piece.width, width - x0);
            const int h = std::min(piece.height, height - y0);
            const auto* base = static_cast<const uint8_t*>(desc.lpSurface);
            for (int y = 0; y < h; ++y) {
                const uint8_t* row = base + size_t(y) * size_t(desc.lPitch);
                uint32_t* target = out + size_t(y0 + y) * size_t(width) + size_t(x0);
                for (int x = 0; x < w; ++x) {
                    uint32_t p = 0;
                    switch (record->format) {
                    case kTexA8R8G8B8: p = reinterpret_cast<const uint32_t*>(row)[x]; break;
                    case kTexA4R4G4B4: {
                        const uint32_t t = reinterpret_cast<const uint16_t*>(row)[x];
                        p = 0xFF000000u | (t >> 8 & 0xF) << 20 | (t >> 4 & 0xF) << 12 | (t & 0xF) << 4;
                        break;
                    }
                    case kTexR5G6B5: {
                        const uint32_t t = reinterpret_cast<const uint16_t*>(row)[x];
                        p = 0xFF000000u | (t >> 11 & 0x1F) << 19 | (t >> 5 & 0x3F) << 10 | (t & 0x1F) << 3;
                        break;
                    }
                    case kTexPalette8:
                        p = record->palette ? record->palette->Argb()[row[x]] : 0;
                        break;
                    default: break;
                    }
                    target[x] = p;
                }
            }
            CheckResult(piece.surface->Unlock(nullptr), "Texture Unlock");
        }
    }
    return true;
}

} // namespace Zolt
