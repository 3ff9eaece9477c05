// The Direct3D 7 drawing path: draws into the display's draw surface when the
// display runs in 3D mode. Images become textures on first use (TextureData:
// power-of-two pieces within the card's limits, re-uploaded when the image
// changes); fills, lines, polygons, plain, stretched, rotated and
// transformed blits and textured triangles become transformed, lit vertices.
// A scene is opened by the first drawing call of a frame and closed before
// the frame is presented. A failed Direct3D call leaves its step and error
// name as the last error (and in the registry through the host); the display
// gives up 3D mode at its next presentation.
//
// Threads: main thread only, except the set of images holding textures,
// which is changed under the display's lock because the application's image
// register (under the same lock) deletes images from other code paths.
#pragma once

#include "framework/base/AffineMatrix.h"
#include "framework/graphics/Display3DPath.h"
#include "framework/graphics/TextureData.h"
#include "platform/d3d/D3DTypes.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace platform {
class Direct3D;
class Direct3DDevice;
class DirectDraw;
class DirectDrawSurface;
} // namespace platform

namespace Zolt {

class D3DHost;
class D3DTester;

// Which field of a vertex a clipping boundary tests.
enum class ClipField { X, Y, U, V };

// Cuts a convex polygon by one boundary (Sutherland-Hodgman): keeps the part
// where `field` >= bound (`keepAbove`) or <= bound. Reads `in`, writes `out`.
void ClipPolygon(const std::vector<platform::D3DTLVERTEX>& in, std::vector<platform::D3DTLVERTEX>& out,
                 ClipField field, float bound, bool keepAbove);

class D3DInterface : public Display3DPath {
public:
    // `host` may be null (no registry, no demo).
    explicit D3DInterface(D3DHost* host = nullptr);
    ~D3DInterface() override;
    D3DInterface(const D3DInterface&) = delete;
    D3DInterface& operator=(const D3DInterface&) = delete;

    // ---- The display's calls ----
    TestResult RunCapabilityTest(platform::HWND window, platform::DirectDraw* directDraw, int minVideoMemoryMB,
                                 int recommendedVideoMemoryMB) override;
    bool Initialize(DDInterface* display) override;
    void Cleanup() override;
    const std::string& GetLastError() const override { return lastError_; }
    bool HasRuntimeError() const override { return !lastError_.empty(); }
    void FinishScene() override;
    void ReleaseImageTextures(MemoryImage* image) override;
    bool ReadBackTextures(MemoryImage* image, uint32_t* out) override;

    // ---- Drawing ----
    bool IsTransformStackEmpty() const override { return transforms_.empty(); }
    bool FillPolygon(const Point* vertices, int count, const Rect& clip, const Color& color, int drawMode,
                     int offsetX, int offsetY, bool flag) override;
    void FillRect(const Rect& rect, const Color& color, int drawMode) override;
    void DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode) override;
    void BlitAt(Image* source, float x, float y, const Rect& sourceRect, const Color& tint, int drawMode,
                bool filtered) override;
    void BlitTranslated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                        const Color& tint, int drawMode) override;
    void BlitMirrored(Image* source, float x, float y, const Rect& sourceRect, const Color& tint, int drawMode,
                      bool filtered) override;
    void BlitStretched(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clip,
                       const Color& tint, int drawMode, bool quick, bool mirrored);
    void BlitRotated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip, const Color& tint,
                     int drawMode, double angle, float centerX, float centerY);
    void BlitTransformed(Image* source, float x, float y, const float* matrix3x3, const Rect& clip,
                         const Color& tint, int drawMode, const Rect& sourceRect, bool filtered) override;
    // The general form: `clip` may be null (no clipping); with `centre` the
    // source's middle is what the matrix maps onto (x, y).
    void BlitTransformed(Image* source, float x, float y, const AffineMatrix& matrix, const Rect* clip,
                         const Color& tint, int drawMode, const Rect& sourceRect, bool filtered, bool centre);
    // Vertex texture coordinates run 0..1 over the whole image; positions
    // are moved by the offset; `linear` filters.
    void DrawTexturedTriangles(Image* texture, const TriVertex (*vertices)[3], int triangleCount, const Rect& clip,
                               const Color& tint, int drawMode, float offsetX, float offsetY, bool linear) override;

    // ---- Steps the surface image and the texture records use ----
    // Opens the scene when needed; false while the window is minimised or
    // the render target is lost (the drawing call then does nothing).
    bool BeginDraw();
    void SetBlendMode(int drawMode);
    void SetLinearFilter(bool linear);
    // Makes or refreshes the image's textures; true when they can be drawn.
    bool PrepareImageTextures(MemoryImage* image);
    void DrawImagePieces(TextureData& record, float x, float y, const Rect& sourceRect, const Color& tint);
    // True (and the error recorded) when `result` is a failure.
    bool CheckResult(platform::HRESULT result, const char* step);

    // The transform stack: its top applies to the coordinates of lines,
    // rectangles and blits.
    void PushTransform(const AffineMatrix& matrix);
    void PopTransform();

    // ---- Read-outs ----
    platform::Direct3DDevice* GetDevice() const { return device_; }
    platform::DirectDraw* GetDirectDraw() const { return directDraw_; }
    const TextureLimits& GetLimits() const { return limits_; }
    int GetSupportedFormats() const { return supportedFormats_; }
    // Palettised textures are given up for the run (a palette failed).
    void DisablePaletteTextures() { supportedFormats_ &= ~kTexPalette8; }
    bool IsSceneOpen() const { return sceneOpen_; }
    bool IsRenderTargetLost() const { return renderTargetLost_; }
    bool IsLinearFilter() const { return linearFilter_; }
    D3DTester* GetTester() const { return tester_.get(); }
    // Images holding textures, and per format (bit index 0..3) how many and
    // how many bytes.
    size_t TexturedImageCount() const;
    void TextureStatistics(int counts[4], size_t bytes[4]) const;

    // A texture record forgets its image (the record is being deleted).
    void ForgetImage(MemoryImage* image);

private:
    bool CreateDevice();
    void ReleaseDevice();
    void DeleteAllTextures();
    // Maps a point through the transform stack's top, when there is one.
    void ApplyStack(float& x, float& y) const;
    void DrawQuad(TextureData& record, int column, int row, const float corners[4][2], float u0, float v0,
                  float u1, float v1, uint32_t colour, const Rect* clip);
    bool DrawFan(std::vector<platform::D3DTLVERTEX>& polygon, const Rect& clip, const char* step);
    // Pieces of DrawTexturedTriangles: a corner placed on the screen with
    // its texture coordinates in piece units; the triangles of a texture of
    // one piece (batched); one triangle over the pieces it covers (false
    // when drawing failed).
    struct TrianglePlacement {
        float offsetX, offsetY;
        uint32_t tint;
        float maxU, maxV;
    };
    platform::D3DTLVERTEX PlaceCorner(const TriVertex& t, const TrianglePlacement& placement) const;
    void DrawTrianglesOnOnePiece(TextureData& record, const TriVertex (*triangles)[3], int triangleCount,
                                 const Rect& clip, const TrianglePlacement& placement);
    bool DrawTriangleOverPieces(TextureData& record, const platform::D3DTLVERTEX (&v)[3], const Rect& clip);
    bool SetPieceTexture(platform::DirectDrawSurface* surface);

    D3DHost* host_;
    DDInterface* display_ = nullptr;
    platform::HWND window_ = nullptr;
    int drawWidth_ = 640;
    int drawHeight_ = 480;
    platform::DirectDraw* directDraw_ = nullptr;         // one reference held
    platform::DirectDrawSurface* drawSurface_ = nullptr; // one reference held
    platform::Direct3D* direct3D_ = nullptr;
    platform::Direct3DDevice* device_ = nullptr;
    platform::D3DVIEWPORT7 viewport_{0, 0, 640, 480, 0.0f, 1.0f};
    bool sceneOpen_ = false;
    bool windowed_ = true;
    std::set<MemoryImage*> textured_; // under the display's lock
    std::vector<AffineMatrix> transforms_;

    TextureLimits limits_;
    int supportedFormats_ = 0;
    bool linearFilter_ = false;
    bool renderTargetLost_ = false;
    std::string lastError_;

    // Two vertex lists for clipping, and the batch of whole triangles of
    // DrawTexturedTriangles: kept between calls, so that drawing a frame
    // allocates nothing.
    std::vector<platform::D3DTLVERTEX> vertices_;
    std::vector<platform::D3DTLVERTEX> scratch_;
    std::vector<platform::D3DTLVERTEX> triangleBatch_;

    std::unique_ptr<D3DTester> tester_;
};

} // namespace Zolt
