// The enhanced-metafile library is loaded when a picture is first written as
// a metafile, not when the program starts: its relocations alone would touch
// about 200 KB of its pages before the first window shows, for a file format
// most sessions never write.
//
// Every function of the library that the program calls is defined here,
// under its own name, and forwards to the library's definition, found once
// per function in the library loaded on first use. The library's name comes
// from the build.

#include <dlfcn.h>
#include <uemf.h>

#include <cstdio>
#include <cstdlib>

namespace {

void* Library() {
    // Opened once; a static local is initialised once even when threads race.
    static void* const handle = [] {
        void* opened = dlopen(QUORIX_UEMF_SONAME, RTLD_NOW | RTLD_LOCAL);
        if (!opened) {
            std::fprintf(stderr, "cannot load the metafile library %s: %s\n", QUORIX_UEMF_SONAME,
                         dlerror());
            std::abort();
        }
        return opened;
    }();
    return handle;
}

template <class Function>
Function* Find(const char* name) {
    void* symbol = dlsym(Library(), name);
    if (!symbol) {
        std::fprintf(stderr, "the metafile library has no function %s\n", name);
        std::abort();
    }
    return reinterpret_cast<Function*>(symbol);
}

}  // namespace

// The library's own definition of the function being defined, found once.
#define QUORIX_FORWARD(name)                               \
    static auto* const real = Find<decltype(name)>(#name); \
    return real

extern "C" {

int emf_start(const char* name, const uint32_t initsize, const uint32_t chunksize, EMFTRACK** et) {
    QUORIX_FORWARD(emf_start)(name, initsize, chunksize, et);
}

int emf_finish(EMFTRACK* et, EMFHANDLES* eht) {
    QUORIX_FORWARD(emf_finish)(et, eht);
}

int emf_free(EMFTRACK** et) {
    QUORIX_FORWARD(emf_free)(et);
}

int emf_append(U_ENHMETARECORD* rec, EMFTRACK* et, int freerec) {
    QUORIX_FORWARD(emf_append)(rec, et, freerec);
}

int emf_htable_create(uint32_t initsize, uint32_t chunksize, EMFHANDLES** eht) {
    QUORIX_FORWARD(emf_htable_create)(initsize, chunksize, eht);
}

int emf_htable_free(EMFHANDLES** eht) {
    QUORIX_FORWARD(emf_htable_free)(eht);
}

char* U_EMRHEADER_set(const U_RECTL rclBounds, const U_RECTL rclFrame,
                      U_PIXELFORMATDESCRIPTOR* const pfmtDesc, U_CBSTR nDesc,
                      uint16_t* const Description, const U_SIZEL szlDevice,
                      const U_SIZEL szlMillimeters, const uint32_t bOpenGL) {
    QUORIX_FORWARD(U_EMRHEADER_set)
    (rclBounds, rclFrame, pfmtDesc, nDesc, Description, szlDevice, szlMillimeters, bOpenGL);
}

char* U_EMREOF_set(const U_CBPLENTRIES cbPalEntries, const PU_LOGPLTNTRY PalEntries, EMFTRACK* et) {
    QUORIX_FORWARD(U_EMREOF_set)(cbPalEntries, PalEntries, et);
}

char* U_EMRBEGINPATH_set(void) {
    QUORIX_FORWARD(U_EMRBEGINPATH_set)();
}

char* U_EMRENDPATH_set(void) {
    QUORIX_FORWARD(U_EMRENDPATH_set)();
}

char* U_EMRFILLPATH_set(const U_RECTL rclBox) {
    QUORIX_FORWARD(U_EMRFILLPATH_set)(rclBox);
}

char* U_EMRMOVETOEX_set(const U_POINTL ptl) {
    QUORIX_FORWARD(U_EMRMOVETOEX_set)(ptl);
}

char* U_EMRPOLYBEZIERTO_set(const U_RECTL rclBounds, const uint32_t count, const U_POINTL* points) {
    QUORIX_FORWARD(U_EMRPOLYBEZIERTO_set)(rclBounds, count, points);
}

char* U_EMRPOLYLINETO_set(const U_RECTL rclBounds, const uint32_t count, const U_POINTL* points) {
    QUORIX_FORWARD(U_EMRPOLYLINETO_set)(rclBounds, count, points);
}

char* U_EMRSELECTOBJECT_set(const uint32_t ihObject) {
    QUORIX_FORWARD(U_EMRSELECTOBJECT_set)(ihObject);
}

char* U_EMRSETBKMODE_set(const uint32_t iMode) {
    QUORIX_FORWARD(U_EMRSETBKMODE_set)(iMode);
}

char* U_EMRSETMAPMODE_set(const uint32_t iMode) {
    QUORIX_FORWARD(U_EMRSETMAPMODE_set)(iMode);
}

char* U_EMRSETPOLYFILLMODE_set(const uint32_t iMode) {
    QUORIX_FORWARD(U_EMRSETPOLYFILLMODE_set)(iMode);
}

char* U_EMRSETVIEWPORTEXTEX_set(const U_SIZEL szlExtent) {
    QUORIX_FORWARD(U_EMRSETVIEWPORTEXTEX_set)(szlExtent);
}

char* U_EMRSETWINDOWEXTEX_set(const U_SIZEL szlExtent) {
    QUORIX_FORWARD(U_EMRSETWINDOWEXTEX_set)(szlExtent);
}

U_POINTL point32_set(int32_t x, int32_t y) {
    QUORIX_FORWARD(point32_set)(x, y);
}

U_RECTL rectl_set(U_POINTL ul, U_POINTL lr) {
    QUORIX_FORWARD(rectl_set)(ul, lr);
}

U_SIZEL sizel_set(int32_t x, int32_t y) {
    QUORIX_FORWARD(sizel_set)(x, y);
}

U_COLORREF colorref3_set(uint8_t red, uint8_t green, uint8_t blue) {
    QUORIX_FORWARD(colorref3_set)(red, green, blue);
}

U_LOGBRUSH logbrush_set(uint32_t lbStyle, U_COLORREF lbColor, int32_t lbHatch) {
    QUORIX_FORWARD(logbrush_set)(lbStyle, lbColor, lbHatch);
}

char* createbrushindirect_set(uint32_t* ihBrush, EMFHANDLES* eht, U_LOGBRUSH lb) {
    QUORIX_FORWARD(createbrushindirect_set)(ihBrush, eht, lb);
}

char* selectobject_set(uint32_t ihObject, EMFHANDLES* eht) {
    QUORIX_FORWARD(selectobject_set)(ihObject, eht);
}

char* deleteobject_set(uint32_t* ihObject, EMFHANDLES* eht) {
    QUORIX_FORWARD(deleteobject_set)(ihObject, eht);
}

}  // extern "C"
