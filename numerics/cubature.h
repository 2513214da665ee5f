#pragma once

// Building blocks of globally adaptive cubature over plane regions:
// degree-13 rules with error estimates for triangles and parallelograms, and
// divisors that split a region into two or four regions of the same shape.
//
// Rules and divisors are reference counted: whoever keeps one raises its
// count and gives it back with Release, which deletes it at zero.

#include <array>
#include <functional>
#include <vector>

struct CubaturePoint {
    double x = 0.0;
    double y = 0.0;
};

using Integrand2D = std::function<double(double x, double y)>;

class ReferenceCounting {
  public:
    virtual ~ReferenceCounting() = default;
    void IncreaseCount() { ++count_; }
    void DecreaseCount() {
        if (count_ > 0) --count_;
    }
    unsigned NumberOfReferences() const { return count_; }

  private:
    unsigned count_ = 0;
};

// Lowers the count and deletes the object when no reference is left.
void Release(ReferenceCounting* object);

// Triangle with vertices 0, 1, 2. Edge k joins vertex k and vertex k+1 (mod 3).
class Triangle {
  public:
    Triangle(const CubaturePoint& a, const CubaturePoint& b, const CubaturePoint& c)
        : vertices_{a, b, c} {}
    int Dimension() const { return 2; }
    const CubaturePoint& Vertex(int i) const { return vertices_.at(static_cast<std::size_t>(i)); }
    double Area() const;

  private:
    std::array<CubaturePoint, 3> vertices_;
    mutable double area_ = 0.0;
    mutable bool areaValid_ = false;
};

// Parallelogram spanned from vertex 0 by the edges to vertices 1 and 2; its
// fourth corner is vertex 1 + vertex 2 - vertex 0.
class Parallelogram {
  public:
    Parallelogram(const CubaturePoint& a, const CubaturePoint& b, const CubaturePoint& c)
        : vertices_{a, b, c} {}
    int Dimension() const { return 2; }
    const CubaturePoint& Vertex(int i) const { return vertices_.at(static_cast<std::size_t>(i)); }
    double Area() const;

  private:
    std::array<CubaturePoint, 3> vertices_;
    mutable double area_ = 0.0;
    mutable bool areaValid_ = false;
};

template <class Region>
class Rule : public ReferenceCounting {
  public:
    // Integral of f over r and an estimate of its absolute error.
    virtual void Integrate(const Integrand2D& f, const Region& r, double& result, double& error) {
        std::vector<double> work(2, 0.0);
        result = 0.0;
        error = 0.0;
        ApplyRule(f, r, result, error, work);
    }
    // The rule itself; work is scratch space of the base Integrate.
    virtual void ApplyRule(const Integrand2D&, const Region&, double&, double&,
                           std::vector<double>&) {}
    // Directions in which to divide r, most urgent first (for a triangle the
    // edge indices; for a parallelogram 0 or 1, the edge from vertex 0 to
    // vertex 1 or 2). The base version sets every entry to 0.
    virtual void ChooseDirections(const Integrand2D&, const Region&, std::vector<int>& directions) {
        for (int& d : directions) d = 0;
    }
    virtual int Degree() const = 0;
    virtual int NumberOfPoints() const = 0;
};

// Fully symmetric rule of degree 13 with 37 points and four pairs of null
// rules for the error estimate (Berntsen and Espelid, the basic rule of
// DCUTRI, ACM TOMS algorithm 706).
class Triangle_Rule13 : public Rule<Triangle> {
  public:
    void Integrate(const Integrand2D& f, const Triangle& t, double& result, double& error) override;
    void ApplyRule(const Integrand2D& f, const Triangle& t, double& result, double& error,
                   std::vector<double>& work) override;
    // Orders the three edges by the size of the second difference of f
    // across the centroid parallel to each edge (seven evaluations), the
    // longest edge first when the differences tie or the triangle is flat.
    void ChooseDirections(const Integrand2D& f, const Triangle& t,
                          std::vector<int>& directions) override;
    int Degree() const override { return 13; }
    int NumberOfPoints() const override { return 37; }
};

// Fully symmetric rule of degree 13 with 37 points for the square, mapped
// affinely onto the parallelogram, with seven null rules (Rabinowitz and
// Richter's rule, recomputed by Cools and Haegemans).
class Parallelogram_Rule13 : public Rule<Parallelogram> {
  public:
    void Integrate(const Integrand2D& f, const Parallelogram& p, double& result,
                   double& error) override;
    int Degree() const override { return 13; }
    int NumberOfPoints() const override { return 37; }
};

template <class Region>
class Divisor : public ReferenceCounting {
  public:
    // pieces is replaced by the regions r is divided into; the first entry
    // of directions (0 when empty) chooses the direction where that matters.
    virtual void Divide(const Region& r, std::vector<Region>& pieces,
                        const std::vector<int>& directions) = 0;
    virtual int NumberOfPieces() const = 0;
};

template <class Region>
class SameShapeDivisor : public Divisor<Region> {};

// Halves the triangle by the line from the midpoint of the chosen edge to the
// opposite vertex.
class Triangle_Divide2 : public SameShapeDivisor<Triangle> {
  public:
    void Divide(const Triangle& t, std::vector<Triangle>& pieces,
                const std::vector<int>& directions) override;
    int NumberOfPieces() const override { return 2; }
};

// Four congruent triangles through the edge midpoints.
class Triangle_Divide4 : public SameShapeDivisor<Triangle> {
  public:
    void Divide(const Triangle& t, std::vector<Triangle>& pieces,
                const std::vector<int>& directions) override;
    int NumberOfPieces() const override { return 4; }
};

// Halves the parallelogram across the chosen direction.
class Parallelogram_Divide2 : public SameShapeDivisor<Parallelogram> {
  public:
    void Divide(const Parallelogram& p, std::vector<Parallelogram>& pieces,
                const std::vector<int>& directions) override;
    int NumberOfPieces() const override { return 2; }
};

// Halves the parallelogram in both directions.
class Parallelogram_Divide4 : public SameShapeDivisor<Parallelogram> {
  public:
    void Divide(const Parallelogram& p, std::vector<Parallelogram>& pieces,
                const std::vector<int>& directions) override;
    int NumberOfPieces() const override { return 4; }
};
