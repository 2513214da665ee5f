#include "numerics/cubature.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// 100 * 2^-53: below this multiple of the rule sum the null rules only see
// rounding.
constexpr double kNoiseFactor = 1.1102230246251565e-14;

// ---------------------------------------------------------------------------
// Triangle rule. Points in barycentric coordinates; an orbit is the centroid,
// the three points (a, b, b) with its rotations, or the six permutations of
// (a, b, 1 - a - b). Weights are per point and sum to 1 (the rule is scaled
// by the area). Columns: the basic rule, then the null rules in pairs of
// degree 7, 5, 3 and 1.
enum class TriangleOrbit { kCentroid, kThree, kSix };

struct TriangleGenerator {
    TriangleOrbit type;
    double a, b;
    double w[9];
};

const TriangleGenerator kTriangleRule[] = {
    {TriangleOrbit::kCentroid,
     1.0 / 3.0,
     1.0 / 3.0,
     {0.051739766065744133555, -0.077738051051462052051, -0.064293709240668260929,
      0.021363205584741860993, -0.046058756832790538621, 0.080867117677405246540,
      -0.038457863913548248582, 0.074839568911184074117, 0.009373028261842556370}},
    {TriangleOrbit::kThree,
     0.950275662924105565450,
     0.024862168537947217275,
     {0.008007799555564801598, 0.001640389740236881582, 0.003134665264639380635,
      0.022716410154120323440, 0.005284159186732627193, -0.033915806661511608095,
      -0.055143631258696406148, -0.004270103034833742737, -0.074249368848508554545}},
    {TriangleOrbit::kThree,
     0.171614914923835347556,
     0.414192542538082326222,
     {0.046868898981821644823, 0.078124083459915167387, 0.007822550509742830478,
      -0.026366191271182090678, 0.009325799301158899113, 0.014813362053697845462,
      -0.021536994314510083846, 0.049352639555084484177, 0.014709707700258308002}},
    {TriangleOrbit::kThree,
     0.539412243677190440263,
     0.230293878161404779868,
     {0.046590940183976487960, -0.030706528522391137166, 0.048653051907689492781,
      0.029627021479068212693, -0.006101110360950124561, 0.001442315416337389214,
      0.001547467894857008228, 0.048832124609719176627, 0.009538502545163567494}},
    {TriangleOrbit::kThree,
     0.772160036676532561750,
     0.113919981661733719125,
     {0.031016943313796381408, 0.010246307817678312345, 0.032883327334384971735,
      0.004782834546596399308, -0.056223328794664871336, -0.024309696484708683486,
      0.057409361764652373776, 0.001042698696559292759, -0.014268362488069444906}},
    {TriangleOrbit::kThree,
     0.009085399949835353884,
     0.495457300025082323058,
     {0.010791612736631273623, 0.012586300774453821540, -0.017019508374229390109,
      0.004178667433984132052, -0.062516479198185693172, -0.005135085639122398523,
      -0.040636938884669694119, -0.044445273029113458906, 0.040126396495352694403}},
    {TriangleOrbit::kThree,
     0.062277290305886993497,
     0.468861354847056503251,
     {0.032195534242431618819, -0.043630506151410607809, 0.025973557893399824587,
      -0.065398996748953861619, 0.022428226812039547179, -0.034649417896235909885,
      -0.020801144746964801778, -0.004670751812662861210, 0.028737181842214741175}},
    {TriangleOrbit::kSix,
     0.022076289653624405142,
     0.851306504174348550389,
     {0.015445834210701583818, -0.004567055157220063810, -0.010716753326806275931,
      -0.033589813176131630981, -0.000026014926110604563, 0.035748423431577326598,
      0.019490770404993674256, -0.015613390485814379319, -0.031618075834734607275}},
    {TriangleOrbit::kSix,
     0.018620522802520968956,
     0.689441970728591295497,
     {0.017822989923178661889, 0.003393373439889186879, 0.018315629578968063766,
      0.033018320112481615758, 0.032882099937471182366, 0.024548155266816447583,
      0.002606109985826399625, -0.030581651696100000521, 0.016879961075872039084}},
    {TriangleOrbit::kSix,
     0.096506481292159228737,
     0.635867859433872768287,
     {0.037038683681384627919, 0.0, -0.047607080313197299401, 0.012241086002709814126,
      0.018721740987705986427, -0.032897267038856299281, 0.023893703367437102826,
      0.010801113204340588798, 0.010878914758683152984}},
};

// ---------------------------------------------------------------------------
// Square rule on [-1, 1]^2, weights per point summing to 4. Orbits: the
// centre, the four points (+-a, 0), (0, +-a), the four points (+-a, +-a), and
// the eight points (+-a, +-b), (+-b, +-a). Columns: the basic rule, then seven
// null rules of decreasing degree.
enum class SquareOrbit { kCentre, kAxis, kDiagonal, kEight };

struct SquareGenerator {
    SquareOrbit type;
    double a, b;
    double w[8];
};

const SquareGenerator kSquareRule[] = {
    {SquareOrbit::kCentre,
     0.0,
     0.0,
     {0.2995235559387052215463, 7.610781847149629154716e-2, 4.016494861405949747098e-2,
      -5.643905795781771973971e-1, -2.269001713589584730603e-1, -3.326760468009974589269e-1,
      2.290638530086106512999e-1, 2.746908885094872977795e-1}},
    {SquareOrbit::kAxis,
     0.9909890363004326469793,
     0.0,
     {0.3311006686692356205977e-1, 1.486101247399760261472e-1, -1.093132962444079541049e-1,
      2.878418073676293225652e-2, 2.976190892690301120079e-2, 1.796655319904795478677e-1,
      2.702070398116919449911e-1, -1.149427039769738298033e-2}},
    {SquareOrbit::kAxis,
     0.6283940712305315063814,
     0.0,
     {0.1802214941550624038355, -2.077685631717747007173e-1, -2.270251673633777452624e-1,
      1.159354231997583294690e-1, -7.440193483272787588251e-2, -4.389976396805911868561e-2,
      -9.078047988731123605988e-3, 1.596178537820019535732e-1}},
    {SquareOrbit::kDiagonal,
     0.9194861553393073086142,
     0.0,
     {0.3916727896035153300761e-1, 6.850758313011924198538e-2, 1.231674163356097016086e-2,
      1.376081498690624477894e-1, -1.224665989043784131260e-1, -2.295841771339316497311e-1,
      4.618480310858703283999e-2, -2.180626972663360443143e-1}},
    {SquareOrbit::kDiagonal,
     0.6973201917871173078085,
     0.0,
     {0.1387748348777288706306, 2.024205813317813585573e-1, -1.420402526499201540699e-1,
      -7.909780225340130915490e-2, -4.857910454732976198563e-2, 6.182618387692816082857e-2,
      -2.598231009547631799097e-1, -8.711748038292630173598e-3}},
    {SquareOrbit::kDiagonal,
     0.3805687186904854497424,
     0.0,
     {0.2268881207335707037147, 1.108627473745508429879e-1, 1.189080551229557928777e-1,
      1.174335441429478112778e-1, 2.228157325962656425537e-1, -1.202703885325137746462e-1,
      -2.518433931146441037986e-2, 1.902786182960269617634e-1}},
    {SquareOrbit::kEight,
     0.9708504361720225062147,
     0.6390348393207252159078,
     {0.3657395765508995601240e-1, -1.187411393304862640859e-1, -4.482039658150474743804e-3,
      -1.107251942334134124783e-1, 1.459764751457503859064e-1, 5.109536580363550180209e-3,
      -1.257796993152456033985e-2, -1.189840649092108827784e-1}},
    {SquareOrbit::kEight,
     0.8623637916722781475019,
     0.3162277660168700033875,
     {0.1169047000557533546702, -5.208857468077715683772e-2, 1.730383808319875827593e-1,
      2.094226883312045633400e-2, -1.211789553452468781540e-1, 1.126062761533095493690e-1,
      -2.720818902721190304044e-2, 2.883382565767354162178e-2}},
};

double Ratio(double numerator, double denominator) {
    return denominator != 0.0 ? numerator / denominator : 1.0;
}

double Cross(const CubaturePoint& o, const CubaturePoint& p, const CubaturePoint& q) {
    return (p.x - o.x) * (q.y - o.y) - (p.y - o.y) * (q.x - o.x);
}

CubaturePoint Mid(const CubaturePoint& p, const CubaturePoint& q) {
    return {(p.x + q.x) / 2.0, (p.y + q.y) / 2.0};
}

CubaturePoint Add(const CubaturePoint& p, const CubaturePoint& q) {
    return {p.x + q.x, p.y + q.y};
}

CubaturePoint HalfStep(const CubaturePoint& from, const CubaturePoint& to) {
    return {(to.x - from.x) / 2.0, (to.y - from.y) / 2.0};
}

int FirstDirection(const std::vector<int>& directions, int count) {
    const int d = directions.empty() ? 0 : directions.front();
    return ((d % count) + count) % count;
}

}  // namespace

void Release(ReferenceCounting* object) {
    if (object == nullptr) return;
    object->DecreaseCount();
    if (object->NumberOfReferences() == 0) delete object;
}

double Triangle::Area() const {
    if (!areaValid_) {
        area_ = std::fabs(Cross(vertices_[0], vertices_[1], vertices_[2])) / 2.0;
        areaValid_ = true;
    }
    return area_;
}

double Parallelogram::Area() const {
    if (!areaValid_) {
        area_ = std::fabs(Cross(vertices_[0], vertices_[1], vertices_[2]));
        areaValid_ = true;
    }
    return area_;
}

void Triangle_Rule13::Integrate(const Integrand2D& f, const Triangle& t, double& result,
                                double& error) {
    std::vector<double> work;
    ApplyRule(f, t, result, error, work);
}

void Triangle_Rule13::ApplyRule(const Integrand2D& f, const Triangle& t, double& result,
                                double& error, std::vector<double>&) {
    const CubaturePoint& v0 = t.Vertex(0);
    const CubaturePoint& v1 = t.Vertex(1);
    const CubaturePoint& v2 = t.Vertex(2);
    auto at = [&](double z0, double z1, double z2) {
        return f(z0 * v0.x + z1 * v1.x + z2 * v2.x, z0 * v0.y + z1 * v1.y + z2 * v2.y);
    };
    double sums[9] = {};
    for (const TriangleGenerator& g : kTriangleRule) {
        const double a = g.a;
        const double b = g.b;
        double value = 0.0;
        switch (g.type) {
            case TriangleOrbit::kCentroid:
                value = at(a, a, a);
                break;
            case TriangleOrbit::kThree:
                value = at(a, b, b) + at(b, a, b) + at(b, b, a);
                break;
            case TriangleOrbit::kSix: {
                const double c = 1.0 - a - b;
                value = at(a, b, c) + at(b, c, a) + at(c, a, b) + at(b, a, c) + at(a, c, b) +
                        at(c, b, a);
                break;
            }
        }
        for (int k = 0; k < 9; ++k) sums[k] += g.w[k] * value;
    }

    const double basic = sums[0];
    const double noise = kNoiseFactor * std::fabs(basic);
    const double n1 = std::hypot(sums[1], sums[2]);  // degree 7
    double estimate = noise;
    if (n1 > noise) {
        const double n2 = std::hypot(sums[3], sums[4]);  // degree 5
        const double n3 = std::hypot(sums[5], sums[6]);  // degree 3
        const double n4 = std::hypot(sums[7], sums[8]);  // degree 1
        const double r = std::max({Ratio(n1, n2), Ratio(n2, n3), Ratio(n3, n4)});
        if (r >= 1.0) {
            estimate = 10.0 * std::max({n1, n2, n3, n4});
        } else if (r >= 0.5) {
            estimate = 10.0 * r * n1;
        } else {
            estimate = 40.0 * r * r * r * n1;
        }
        estimate = std::max(noise, estimate);
    }
    const double area = t.Area();
    result = basic * area;
    error = std::min(estimate * area, std::fabs(result));
}

void Triangle_Rule13::ChooseDirections(const Integrand2D& f, const Triangle& t,
                                       std::vector<int>& directions) {
    const CubaturePoint centre = {(t.Vertex(0).x + t.Vertex(1).x + t.Vertex(2).x) / 3.0,
                                  (t.Vertex(0).y + t.Vertex(1).y + t.Vertex(2).y) / 3.0};
    const double fc = f(centre.x, centre.y);
    double difference[3];
    double length[3];
    double longest = 0.0;
    for (int k = 0; k < 3; ++k) {
        const CubaturePoint& p = t.Vertex(k);
        const CubaturePoint& q = t.Vertex((k + 1) % 3);
        // A quarter of the edge keeps both points inside the triangle.
        const double hx = (q.x - p.x) / 4.0;
        const double hy = (q.y - p.y) / 4.0;
        difference[k] =
            std::fabs(f(centre.x + hx, centre.y + hy) - 2.0 * fc + f(centre.x - hx, centre.y - hy));
        length[k] = std::hypot(q.x - p.x, q.y - p.y);
        longest = std::max(longest, length[k]);
    }
    // Differences at the level of rounding say nothing: they count as 0, so
    // that the longest edge comes first. A flat triangle (an angle within
    // rounding of pi) is cut across its longest edge whatever the integrand.
    const bool flat = t.Area() <= 1e-14 * longest * longest;
    const double scale = std::max({difference[0], difference[1], difference[2]});
    const double noise = kNoiseFactor * (scale + std::fabs(fc));
    for (double& d : difference)
        if (flat || !(d > noise)) d = 0.0;
    std::vector<int> order = {0, 1, 2};
    std::stable_sort(order.begin(), order.end(), [&](int i, int j) {
        if (difference[i] != difference[j]) return difference[i] > difference[j];
        return length[i] > length[j];
    });
    directions = order;
}

void Parallelogram_Rule13::Integrate(const Integrand2D& f, const Parallelogram& p, double& result,
                                     double& error) {
    const CubaturePoint& v0 = p.Vertex(0);
    const CubaturePoint centre = Mid(p.Vertex(1), p.Vertex(2));
    const CubaturePoint e1 = HalfStep(v0, p.Vertex(1));
    const CubaturePoint e2 = HalfStep(v0, p.Vertex(2));
    auto at = [&](double u, double w) {
        return f(centre.x + u * e1.x + w * e2.x, centre.y + u * e1.y + w * e2.y);
    };
    double sums[8] = {};
    for (const SquareGenerator& g : kSquareRule) {
        const double a = g.a;
        const double b = g.b;
        double value = 0.0;
        switch (g.type) {
            case SquareOrbit::kCentre:
                value = at(0.0, 0.0);
                break;
            case SquareOrbit::kAxis:
                value = at(a, 0.0) + at(-a, 0.0) + at(0.0, a) + at(0.0, -a);
                break;
            case SquareOrbit::kDiagonal:
                value = at(a, a) + at(-a, a) + at(a, -a) + at(-a, -a);
                break;
            case SquareOrbit::kEight:
                value = at(a, b) + at(-a, b) + at(a, -b) + at(-a, -b) + at(b, a) + at(-b, a) +
                        at(b, -a) + at(-b, -a);
                break;
        }
        for (int k = 0; k < 8; ++k) sums[k] += g.w[k] * value;
    }

    const double basic = sums[0];
    const double noise = kNoiseFactor * std::fabs(basic);
    // Seven null rules make four pairs when the sixth is used twice.
    const double n1 = std::hypot(sums[1], sums[2]);
    const double n2 = std::hypot(sums[3], sums[4]);
    const double n3 = std::hypot(sums[5], sums[6]);
    const double n4 = std::hypot(sums[7], sums[6]);
    const double r = std::max({Ratio(n1, n2), Ratio(n2, n3), Ratio(n3, n4)});
    const double critical = 0.4;
    const double factor = 8.0;
    double estimate;
    if (r >= 1.0) {
        estimate = factor * n1;
    } else if (r >= critical) {
        estimate = factor * r * n1;
    } else {
        estimate = factor / (critical * critical) * r * r * r * n1;
    }
    estimate = std::max(noise, estimate);
    const double scale = p.Area() / 4.0;  // the reference square has area 4
    result = basic * scale;
    error = estimate * scale;
}

void Triangle_Divide2::Divide(const Triangle& t, std::vector<Triangle>& pieces,
                              const std::vector<int>& directions) {
    const int k = FirstDirection(directions, 3);
    const CubaturePoint& p = t.Vertex(k);
    const CubaturePoint& q = t.Vertex((k + 1) % 3);
    const CubaturePoint& opposite = t.Vertex((k + 2) % 3);
    const CubaturePoint m = Mid(p, q);
    pieces.clear();
    pieces.emplace_back(p, m, opposite);
    pieces.emplace_back(m, q, opposite);
}

void Triangle_Divide4::Divide(const Triangle& t, std::vector<Triangle>& pieces,
                              const std::vector<int>&) {
    const CubaturePoint& a = t.Vertex(0);
    const CubaturePoint& b = t.Vertex(1);
    const CubaturePoint& c = t.Vertex(2);
    const CubaturePoint ab = Mid(a, b);
    const CubaturePoint bc = Mid(b, c);
    const CubaturePoint ca = Mid(c, a);
    pieces.clear();
    pieces.emplace_back(a, ab, ca);
    pieces.emplace_back(ab, b, bc);
    pieces.emplace_back(ca, bc, c);
    pieces.emplace_back(bc, ca, ab);
}

void Parallelogram_Divide2::Divide(const Parallelogram& p, std::vector<Parallelogram>& pieces,
                                   const std::vector<int>& directions) {
    const CubaturePoint& v0 = p.Vertex(0);
    const CubaturePoint& v1 = p.Vertex(1);
    const CubaturePoint& v2 = p.Vertex(2);
    pieces.clear();
    if (FirstDirection(directions, 2) == 0) {
        const CubaturePoint step = HalfStep(v0, v1);
        const CubaturePoint m = Add(v0, step);
        pieces.emplace_back(v0, m, v2);
        pieces.emplace_back(m, v1, Add(v2, step));
    } else {
        const CubaturePoint step = HalfStep(v0, v2);
        const CubaturePoint m = Add(v0, step);
        pieces.emplace_back(v0, v1, m);
        pieces.emplace_back(m, Add(v1, step), v2);
    }
}

void Parallelogram_Divide4::Divide(const Parallelogram& p, std::vector<Parallelogram>& pieces,
                                   const std::vector<int>&) {
    const CubaturePoint& v0 = p.Vertex(0);
    const CubaturePoint a = HalfStep(v0, p.Vertex(1));
    const CubaturePoint b = HalfStep(v0, p.Vertex(2));
    pieces.clear();
    for (const CubaturePoint& origin : {v0, Add(v0, a), Add(v0, b), Add(Add(v0, a), b)})
        pieces.emplace_back(origin, Add(origin, a), Add(origin, b));
}
