// The numerical libraries (GSL, LAPACK and BLAS, with LAPACK's Fortran
// run-time) are loaded when a calculation first calls into them, not when the
// program starts: their relocations and start-up code would otherwise touch
// about 1.5 MB of their pages, and cost a few milliseconds, before the first
// window shows, though most sessions open the window long before the first
// calculation.
//
// Every function of theirs that the program calls is defined here, under its
// own name, and forwards to the library's definition, found once per function
// in the library loaded on first use. The library names come from the build,
// which finds the libraries it would otherwise link.

#include <dlfcn.h>
#include <gsl/gsl_cdf.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_integration.h>
#include <gsl/gsl_randist.h>
#include <gsl/gsl_sf_hyperg.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace {

enum class Library { kGsl, kLapack, kBlas };

void* Open(const char* name) {
    // Local: the library's functions are reached only through the handle, and
    // its own dependencies (LAPACK's BLAS and Fortran run-time) come with it.
    void* handle = dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "cannot load the numerical library %s: %s\n", name, dlerror());
        std::abort();
    }
    return handle;
}

void* Handle(Library library) {
    // Each opened once, on the first call of any of its functions; a static
    // local is initialised once even when two worker threads race to it.
    switch (library) {
        case Library::kGsl: {
            static void* const gsl = Open(QUORIX_GSL_SONAME);
            return gsl;
        }
        case Library::kLapack: {
            static void* const lapack = Open(QUORIX_LAPACK_SONAME);
            return lapack;
        }
        case Library::kBlas: {
            static void* const blas = Open(QUORIX_BLAS_SONAME);
            return blas;
        }
    }
    return nullptr;
}

template <class Function>
Function* Find(Library library, const char* name) {
    void* symbol = dlsym(Handle(library), name);
    if (!symbol) {
        std::fprintf(stderr, "the numerical library has no function %s\n", name);
        std::abort();
    }
    return reinterpret_cast<Function*>(symbol);
}

}  // namespace

// The library's own definition of the function being defined, found once.
#define QUORIX_FORWARD(library, name)                                        \
    static auto* const real = Find<decltype(name)>(Library::library, #name); \
    return real

extern "C" {

double gsl_cdf_ugaussian_P(const double x) {
    QUORIX_FORWARD(kGsl, gsl_cdf_ugaussian_P)(x);
}

double gsl_cdf_ugaussian_Pinv(const double P) {
    QUORIX_FORWARD(kGsl, gsl_cdf_ugaussian_Pinv)(P);
}

double gsl_ran_ugaussian_pdf(const double x) {
    QUORIX_FORWARD(kGsl, gsl_ran_ugaussian_pdf)(x);
}

int gsl_sf_hyperg_2F1_e(double a, double b, const double c, const double x, gsl_sf_result* result) {
    QUORIX_FORWARD(kGsl, gsl_sf_hyperg_2F1_e)(a, b, c, x, result);
}

gsl_error_handler_t* gsl_set_error_handler_off(void) {
    QUORIX_FORWARD(kGsl, gsl_set_error_handler_off)();
}

gsl_integration_workspace* gsl_integration_workspace_alloc(const size_t n) {
    QUORIX_FORWARD(kGsl, gsl_integration_workspace_alloc)(n);
}

void gsl_integration_workspace_free(gsl_integration_workspace* w) {
    QUORIX_FORWARD(kGsl, gsl_integration_workspace_free)(w);
}

gsl_integration_cquad_workspace* gsl_integration_cquad_workspace_alloc(const size_t n) {
    QUORIX_FORWARD(kGsl, gsl_integration_cquad_workspace_alloc)(n);
}

void gsl_integration_cquad_workspace_free(gsl_integration_cquad_workspace* w) {
    QUORIX_FORWARD(kGsl, gsl_integration_cquad_workspace_free)(w);
}

int gsl_integration_cquad(const gsl_function* f, double a, double b, double epsabs, double epsrel,
                          gsl_integration_cquad_workspace* ws, double* result, double* abserr,
                          size_t* nevals) {
    QUORIX_FORWARD(kGsl, gsl_integration_cquad)
    (f, a, b, epsabs, epsrel, ws, result, abserr, nevals);
}

gsl_integration_glfixed_table* gsl_integration_glfixed_table_alloc(size_t n) {
    QUORIX_FORWARD(kGsl, gsl_integration_glfixed_table_alloc)(n);
}

void gsl_integration_glfixed_table_free(gsl_integration_glfixed_table* t) {
    QUORIX_FORWARD(kGsl, gsl_integration_glfixed_table_free)(t);
}

int gsl_integration_glfixed_point(double a, double b, size_t i, double* xi, double* wi,
                                  const gsl_integration_glfixed_table* t) {
    QUORIX_FORWARD(kGsl, gsl_integration_glfixed_point)(a, b, i, xi, wi, t);
}

gsl_integration_qawo_table* gsl_integration_qawo_table_alloc(double omega, double L,
                                                             enum gsl_integration_qawo_enum sine,
                                                             size_t n) {
    QUORIX_FORWARD(kGsl, gsl_integration_qawo_table_alloc)(omega, L, sine, n);
}

void gsl_integration_qawo_table_free(gsl_integration_qawo_table* t) {
    QUORIX_FORWARD(kGsl, gsl_integration_qawo_table_free)(t);
}

int gsl_integration_qawf(gsl_function* f, const double a, const double epsabs, const size_t limit,
                         gsl_integration_workspace* workspace,
                         gsl_integration_workspace* cycle_workspace, gsl_integration_qawo_table* wf,
                         double* result, double* abserr) {
    QUORIX_FORWARD(kGsl, gsl_integration_qawf)
    (f, a, epsabs, limit, workspace, cycle_workspace, wf, result, abserr);
}

// LAPACK and BLAS, declared as the matrix code declares them.
void dgemm_(const char* transa, const char* transb, const int* m, const int* n, const int* k,
            const double* alpha, const double* a, const int* lda, const double* b, const int* ldb,
            const double* beta, double* c, const int* ldc, std::size_t transa_len,
            std::size_t transb_len) {
    QUORIX_FORWARD(kBlas, dgemm_)
    (transa, transb, m, n, k, alpha, a, lda, b, ldb, beta, c, ldc, transa_len, transb_len);
}

void dgeqrf_(const int* m, const int* n, double* a, const int* lda, double* tau, double* work,
             const int* lwork, int* info) {
    QUORIX_FORWARD(kLapack, dgeqrf_)(m, n, a, lda, tau, work, lwork, info);
}

void dgeqp3_(const int* m, const int* n, double* a, const int* lda, int* jpvt, double* tau,
             double* work, const int* lwork, int* info) {
    QUORIX_FORWARD(kLapack, dgeqp3_)(m, n, a, lda, jpvt, tau, work, lwork, info);
}

void dorgqr_(const int* m, const int* n, const int* k, double* a, const int* lda, const double* tau,
             double* work, const int* lwork, int* info) {
    QUORIX_FORWARD(kLapack, dorgqr_)(m, n, k, a, lda, tau, work, lwork, info);
}

void dgetrf_(const int* m, const int* n, double* a, const int* lda, int* ipiv, int* info) {
    QUORIX_FORWARD(kLapack, dgetrf_)(m, n, a, lda, ipiv, info);
}

void dgetri_(const int* n, double* a, const int* lda, const int* ipiv, double* work,
             const int* lwork, int* info) {
    QUORIX_FORWARD(kLapack, dgetri_)(n, a, lda, ipiv, work, lwork, info);
}

void dgeev_(const char* jobvl, const char* jobvr, const int* n, double* a, const int* lda,
            double* wr, double* wi, double* vl, const int* ldvl, double* vr, const int* ldvr,
            double* work, const int* lwork, int* info, std::size_t jobvl_len,
            std::size_t jobvr_len) {
    QUORIX_FORWARD(kLapack, dgeev_)
    (jobvl, jobvr, n, a, lda, wr, wi, vl, ldvl, vr, ldvr, work, lwork, info, jobvl_len, jobvr_len);
}

void dgesdd_(const char* jobz, const int* m, const int* n, double* a, const int* lda, double* s,
             double* u, const int* ldu, double* vt, const int* ldvt, double* work, const int* lwork,
             int* iwork, int* info, std::size_t jobz_len) {
    QUORIX_FORWARD(kLapack, dgesdd_)
    (jobz, m, n, a, lda, s, u, ldu, vt, ldvt, work, lwork, iwork, info, jobz_len);
}

}  // extern "C"
