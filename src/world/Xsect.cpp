#include "world/Xsect.h"

#include <climits>
#include <cmath>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#include "gfx/RenderCounters.h"
#include "sys/Console.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"
#include "world/A99Object.h"
#include "world/GameWorld.h"
#include "world/Hull.h"
#include "world/HullList.h"
#include "world/HullSegment.h"
#include "world/HullVertex.h"
#include "world/Terrain.h"

Xsect* Xsect::holder = nullptr;
uint64_t Xsect::generations = 0;

namespace {

// Distances against a segment are two-dimensional: q its start, n its
// normal (or along).
inline float planarDot(const V3& n, const V3& p, const V3& q) { return n.x * (p.x - q.x) + n.y * (p.y - q.y); }

// The same as HullSegment::getHull and ::owner, here where the loops can
// have them inline.
inline Hull* hullOf(const HullSegment* s) { return static_cast<Hull*>(s->pHull.get()); }
inline A99Object* ownerOfHull(const Hull* h) {
    return h && !h->bToBeDestroyed ? static_cast<A99Object*>(h->pRef.get()) : nullptr;
}
inline A99Object* ownerOf(const HullSegment* s) { return ownerOfHull(hullOf(s)); }

// Where the path from p (distance d1 in front of the line) to e (distance d
// behind it) meets the line; a start up to the tolerance behind the line is
// projected onto it.
inline V3 crossingPoint(const HullSegment* s, const V3& p, const V3& e, float d1, float d) {
    if (d1 < 0.0f) return s->start + s->along * planarDot(s->along, p, s->start);
    return p + (e - p) * (d1 / (d1 - d));
}

inline bool inSpan(const HullSegment* s, float a) { return s->collisionLengthMin <= a && a < s->collisionLengthMax; }

// std::fmax, inline: the larger, or the one that is a number.
inline float maxOf(float a, float b) { return a > b || b != b ? a : b; }

// The start and end of a path in a hull's frame, and their distances from
// a segment's line (planarDot of each), both at once. The end is mapped
// only when a segment needs it (a mapping may have to invert the owner's
// transform). A mapped point is copied number by number: copied whole right
// after the mapping stored its parts, it would wait for them to be stored.
struct Ends {
    V3 p1, p2;
    bool haveP2 = false;
#if defined(__SSE__)
    __m128 xy = _mm_setzero_ps();  // (p1.x, p1.y, p2.x, p2.y)
#endif
    void setStart(const V3& a) {
        p1 = V3(a.x, a.y, a.z);
        haveP2 = false;
#if defined(__SSE__)
        xy = _mm_setr_ps(p1.x, p1.y, p2.x, p2.y);
#endif
    }
    void setEnd(const V3& b) {
        p2 = V3(b.x, b.y, b.z);
        haveP2 = true;
#if defined(__SSE__)
        xy = _mm_setr_ps(p1.x, p1.y, p2.x, p2.y);
#endif
    }
    // The second distance means something only with the end mapped.
    void distances(const V3& n, const V3& q, float* d1, float* d2) const {
#if defined(__SSE__)
        // n.x * (p.x - q.x) and n.y * (p.y - q.y) for both points, then
        // each pair summed: the arithmetic of planarDot, lane by lane.
        const __m128 nn = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(&n.x));
        const __m128 qq = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(&q.x));
        const __m128 t = _mm_mul_ps(_mm_movelh_ps(nn, nn), _mm_sub_ps(xy, _mm_movelh_ps(qq, qq)));
        const __m128 d = _mm_add_ps(t, _mm_shuffle_ps(t, t, _MM_SHUFFLE(2, 3, 0, 1)));
        *d1 = _mm_cvtss_f32(d);
        *d2 = _mm_cvtss_f32(_mm_movehl_ps(d, d));
#else
        *d1 = planarDot(n, p1, q);
        *d2 = planarDot(n, p2, q);
#endif
    }
};

}  // namespace

Xsect::Xsect(const V3& p1, const V3& p2, uint32_t f)
    : flags(f),
      p1World(p1),
      p2World(p2),
      margin(std::sqrt(V3::distanceSquared(p1, p2)) + kMarginSlack),
      frame(renderCounters.frameNumber) {
    // The index is asked with the sum of the path's absolute components,
    // never less than its length (beyond what the index's slack absorbs),
    // so that the query need not wait for the square root. A path too long
    // for its square to be a number asks for every hull, as the margin
    // would.
    const V3 d = p2 - p1;
    const float sum = std::fabs(d.x) + std::fabs(d.y) + std::fabs(d.z);
    indexReach = sum < 1e18f ? sum + kMarginSlack : HUGE_VALF;
}

bool Xsect::holds(const HullSegment* s) const { return generation != 0 && s->sweepGeneration == generation; }

Xsect::~Xsect() {
    releaseList();
    if (holder == this) holder = nullptr;
}

// The segments keep their links: with the generation gone they are in no
// list (a later sweep relinks the ones it takes).
void Xsect::releaseList() {
    head = tail = nullptr;
    listCount = 0;
    generation = 0;
}

void Xsect::forget(HullSegment* s) {
    if (!s || !holds(s)) return;
    if (s->sweepPrev) s->sweepPrev->sweepNext = s->sweepNext;
    else head = s->sweepNext;
    if (s->sweepNext) s->sweepNext->sweepPrev = s->sweepPrev;
    else tail = s->sweepPrev;
    s->sweepGeneration = 0;
    s->sweepPrev = s->sweepNext = nullptr;
    --listCount;
    if (best_hs == s) best_hs = nullptr;
    if (pHitSegment == s) pHitSegment = nullptr;
    if (phase2Segment == s) phase2Segment = nullptr;
}

// ---------------------------------------------------------------------------
// Candidates

void Xsect::claimSegments() {
    if (holder && holder != this) {
        // An earlier sweep still on the stack gives its segments up. One that
        // was not finished must not go on: its records are this sweep's now
        // (a sweep started from inside another's hit handling), so using it
        // again is fatal, while one simply left behind does no harm.
        if (!holder->bFinished && !holder->bDone) holder->bPreempted = true;
        holder->releaseList();
    }
    holder = this;
    if (generation == 0) generation = ++generations;
}

void Xsect::considerHulls() {
    claimSegments();
    GameWorld* w = GameWorld::current();
    HullList* list = w ? w->getHullList() : nullptr;
    if (!list) return;
    // The hulls that may be in reach, in list order (the index only leaves
    // out hulls the reach test below would reject); flagged and disabled
    // hulls are skipped.
    int n = 0;
    Hull* const* hulls = list->candidates(p1World, indexReach, &n);
    for (int i = 0; i < n; ++i) {
        Hull* h = hulls[i];
        if (h->bToBeDestroyed || h->bDisabled || h->parent != list) continue;
        considerHull(h);
    }
}

// Appends segments to the list, each with its record reset. The list's end
// and length stay in registers over a hull's walk (the records' stores
// could otherwise change them, as far as the compiler knows) and are
// written back at the end.
class Xsect::Appender {
public:
    explicit Appender(Xsect& x)
        : x(x),
          last(x.tail),
          link(x.tail ? &x.tail->sweepNext : &x.head),
          count(x.listCount),
          generation(x.generation),
          frame(x.frame) {}
    ~Appender() {
        x.tail = last;
        x.listCount = count;
    }
    Appender(const Appender&) = delete;
    Appender& operator=(const Appender&) = delete;

    // Inline: the walks over a hull's segments are the hot path.
    void add(HullSegment* s) {
        if (s->sweepGeneration == generation) return;  // listed already
        s->sweepGeneration = generation;
        s->sweepPrev = last;
        s->sweepNext = nullptr;
        *link = s;
        link = &s->sweepNext;
        last = s;
        ++count;
        s->wasFinalSolutionInIteration = -1;
        s->wasPotentialSolutionInIteration = -1;
        s->wasReductionTestedInIteration = -1;
        s->wasViolatedInIteration = -1;
        s->wasRelevantInIteration = -1;
        s->ignoreInIteration = -1;
        s->violations = 0;
        s->bDot1Pass = false;
        s->bDot2Pass = false;
        s->debug_consideredFrame = frame;
    }

private:
    Xsect& x;
    HullSegment* last;
    HullSegment** link;  // where the next segment is linked in
    int count;
    const uint64_t generation;
    const int32_t frame;
};

void Xsect::considerHull(Hull* h) {
    if (h->bHeroOnly && !(flags & FLAG_HERO_HULLS)) return;
    if (h->hullType == Hull::PASS_THROUGH && !(flags & FLAG_PASS_THROUGH_HULLS)) return;
    A99Object* o = ownerOfHull(h);
    if (!o) return;  // the owner went away: the hull is about to go
    // Absolute scales: a mirrored owner keeps its reach. The bounding centre
    // is the world position of the owner's local origin, from which the
    // hull's radius is measured.
    const float s = maxOf(std::fabs(o->scale.x), std::fabs(o->scale.y));
    const V3& c = o->movedThisFrame() ? o->prevWorldPosition : o->boundingCentre;
    const float reach = h->boundingRadius * s + margin;
    if (!(V3::distanceSquared(p1World, c) <= reach * reach)) return;
    if (!h->bEvenlySpaced) {
        // The segments in child order. The walk takes each from the hull's
        // index and only checks that the children agree, so that no segment's
        // address waits for the one before (the records load side by side);
        // where they differ it follows the children.
        Appender list(*this);
        const int n = h->segments.count();
        ZubBase* const* parts = h->segments.parts();
        ZubBase* seg = h->segments.firstChild;
        if (seg != (n > 0 ? parts[0] : nullptr)) {
            for (; seg; seg = seg->nextSibling) list.add(static_cast<HullSegment*>(seg));
            return;
        }
        for (int i = 0; i < n; ++i) {
            ZubBase* const part = parts[i];
            list.add(static_cast<HullSegment*>(part));
            ZubBase* const linked = part->nextSibling;
            if (linked != (i + 1 < n ? parts[i + 1] : nullptr)) {
                for (seg = linked; seg; seg = seg->nextSibling) list.add(static_cast<HullSegment*>(seg));
                return;
            }
        }
        return;
    }
    if (!o->getClass()->isDerivedFrom(&Terrain::classRecord))
        ErrorManager::assertionFailed("IS_KIND_OF(h->pRef.get(), Terrain)", "Xsect::considerHull", __FILE__, __LINE__);
    Terrain* t = static_cast<Terrain*>(o);
    const int n = h->segments.count();
    if (n <= 0) return;
    ZubBase* const* parts = h->segments.parts();
    // The points under the reach around the start (in the terrain's frame,
    // whatever its turn or mirror), and one more on each side.
    int first = 0, last = 0;
    t->getIndexRange(p1World, margin, &first, &last);
    first -= 1;
    last += 1;
    if (first < 0) first = 0;
    if (last > n - 1) last = n - 1;
    // The chain from the first of them (after editor deletions the chain is
    // what counts; the walk ends at an open end), taken from the index while
    // the chain agrees with it, as above: the segments' addresses do not
    // wait for one another.
    Appender list(*this);
    for (int i = first; i <= last; ++i) {
        HullSegment* const seg = static_cast<HullSegment*>(parts[i]);
        list.add(seg);
        HullSegment* const linked = seg->next();
        if (linked != (i + 1 < n ? parts[i + 1] : nullptr)) {
            HullSegment* chain = linked;
            for (++i; i <= last && chain; ++i, chain = chain->next()) list.add(chain);
            return;
        }
    }
}

// ---------------------------------------------------------------------------
// Iterations

bool Xsect::checkHits() {
    ZUB_ASSERT(!bPreempted);
    if (bDone) {
        bFinished = true;
        return false;
    }
    ++iteration;
    best_hs = nullptr;
    numPotentialSolutions = 0;
    phase2Segment = nullptr;
    phase2_bestDistanceSq = kFarSq;
    bForcedSolution = false;

    // Consecutive segments of one hull share its owner and the mapped
    // points.
    const int it = iteration;
    int potential = 0;
    const Hull* ownedHull = nullptr;
    A99Object* o = nullptr;
    const A99Object* mappedOwner = nullptr;
    Ends ends;
    for (HullSegment* s = head; s; s = s->sweepNext) {
        if (!(it > s->ignoreInIteration)) continue;
        if (const Hull* h = hullOf(s); h != ownedHull) {
            ownedHull = h;
            o = ownerOfHull(h);
            if (o && o != mappedOwner) {
                mappedOwner = o;
                V3 a;
                if (it == 1) o->world2localOld(a, p1World);
                else o->world2local(a, p1World);
                ends.setStart(a);
            }
        }
        if (!o) {
            s->bDot1Pass = s->bDot2Pass = false;
            continue;
        }
        const V3& p1L = ends.p1;
        const V3& p2L = ends.p2;
        s->p1Local.x = p1L.x;
        s->p1Local.y = p1L.y;
        s->p1Local.z = p1L.z;
        float d1, d2;
        ends.distances(s->normal, s->start, &d1, &d2);
        s->dot1 = d1;
        s->bDot1Pass = d1 >= kStartTolerance;
        if (!s->bDot1Pass) {
            s->bDot2Pass = false;
            continue;
        }
        if (!ends.haveP2) {
            V3 b;
            o->world2local(b, p2World);
            ends.setEnd(b);
            d2 = planarDot(s->normal, p2L, s->start);
        }
        s->p2Local.x = p2L.x;
        s->p2Local.y = p2L.y;
        s->p2Local.z = p2L.z;
        s->dot2 = d2;
        s->bDot2Pass = d2 < 0.0f && d1 > d2;
        if (!s->bDot2Pass) continue;
        const V3 pX = crossingPoint(s, p1L, p2L, d1, d2);
        s->pXdotAlong = planarDot(s->along, pX, s->start);
        if (inSpan(s, s->pXdotAlong)) {
            o->localToWorld(s->pXWorld, pX);
            s->wasPotentialSolutionInIteration = it;
            ++potential;
        }
    }
    numPotentialSolutions = potential;
    if (numPotentialSolutions == 0) {
        bFinished = true;
        return false;
    }
    best_hs = selectBestHit();
    ZUB_ASSERT(best_hs != NULL);
    best_hs->debug_collidedFrame = frame;
    best_hs->ignoreInIteration = iteration + 1;
    pHitSegment = best_hs;
    return true;
}

HullSegment* Xsect::selectBestHit() {
    // 1. Per hull (a hull's segments lie together in the list): walking its
    // potential solutions in order, one nearer than the running best takes
    // its place and the one it replaces loses its status.
    for (HullSegment* s = head; s;) {
        const Hull* h = hullOf(s);
        HullSegment* runBest = nullptr;
        float bestSq = kFarSq;
        HullSegment* r = s;
        for (; r && hullOf(r) == h; r = r->sweepNext) {
            if (r->wasPotentialSolutionInIteration != iteration || r->wasReductionTestedInIteration == iteration)
                continue;
            r->wasReductionTestedInIteration = iteration;
            const float d = V3::distanceSquared(r->pXWorld, p1World);
            if (d < bestSq) {
                if (runBest) {
                    runBest->wasPotentialSolutionInIteration = -1;
                    --numPotentialSolutions;
                }
                runBest = r;
                bestSq = d;
            }
        }
        s = r;
    }

    // 2. Violations: segments of other hulls that lie between the start and
    // the crossing. The first crossing without any is the hit.
    HullSegment* movingCandidate = nullptr;
    int fewest = INT_MAX;
    for (HullSegment* hs = head; hs; hs = hs->sweepNext) {
        if (hs->wasPotentialSolutionInIteration != iteration) continue;
        hs->violations = 0;
        const Hull* hull = hullOf(hs);
        const A99Object* mappedOwner = nullptr;
        V3 e;
        for (HullSegment* k = head; k; k = k->sweepNext) {
            if (hullOf(k) == hull || !(iteration > k->ignoreInIteration) || !k->bDot1Pass) continue;
            A99Object* ko = ownerOf(k);
            if (!ko) continue;
            // The crossing in K's owner frame, through its current transform.
            if (ko != mappedOwner) {
                mappedOwner = ko;
                ko->world2local(e, hs->pXWorld);
            }
            const float d = planarDot(k->normal, e, k->start);
            if (!(d < 0.0f && k->dot1 > d)) continue;
            const V3 c = crossingPoint(k, k->p1Local, e, k->dot1, d);
            if (inSpan(k, planarDot(k->along, c, k->start))) {
                ++hs->violations;
                k->wasViolatedInIteration = iteration;
            }
        }
        if (hs->violations == 0) return hs;
        A99Object* ho = ownerOf(hs);
        if (ho && ho->movedThisFrame() && hs->violations < fewest) {
            fewest = hs->violations;
            movingCandidate = hs;
        }
    }

    // 3. Without one on a moving hull: the last violated segment whose owner
    // moved this frame.
    Hull* movingHull = movingCandidate ? hullOf(movingCandidate) : nullptr;
    if (!movingCandidate) {
        HullSegment* lastViolated = nullptr;
        for (HullSegment* k = head; k; k = k->sweepNext) {
            if (k->wasViolatedInIteration != iteration) continue;
            A99Object* ko = ownerOf(k);
            if (ko && ko->movedThisFrame()) lastViolated = k;
        }
        if (lastViolated) movingHull = hullOf(lastViolated);
    }

    // 4. A moving hull squeezes the point: the nearest place where its edges
    // cut the other hulls involved.
    if (movingHull) {
        if (HullSegment* forced = runPhase2(movingHull)) {
            forced->pXWorld = phase2_bestPXWorld;
            bForcedSolution = true;
            return forced;
        }
    }

    // 5. The first crossing of a hull that did not move.
    for (HullSegment* s = head; s; s = s->sweepNext) {
        if (s->wasPotentialSolutionInIteration != iteration) continue;
        A99Object* o = ownerOf(s);
        if (o && !o->movedThisFrame()) return s;
    }
    // 6. The first crossing, held at the start.
    for (HullSegment* s = head; s; s = s->sweepNext) {
        if (s->wasPotentialSolutionInIteration != iteration) continue;
        s->pXWorld = p1World;
        bForcedSolution = true;
        return s;
    }
    // 7. Cannot happen (the reduction leaves one crossing per hull).
    dumpXsectState();
    return nullptr;
}

HullSegment* Xsect::runPhase2(Hull* movingHull) {
    // Hulls with a crossing or a violation this iteration are relevant;
    // only their listed segments take part (a terrain contributes the
    // segments under the sweep, not the whole strip).
    for (HullSegment* s = head; s;) {
        const Hull* h = hullOf(s);
        bool relevant = false;
        HullSegment* r = s;
        for (; r && hullOf(r) == h; r = r->sweepNext)
            if (r->wasPotentialSolutionInIteration == iteration || r->wasViolatedInIteration == iteration)
                relevant = true;
        if (relevant)
            for (HullSegment* m = s; m != r; m = m->sweepNext) m->wasRelevantInIteration = iteration;
        s = r;
    }
    A99Object* mo = ownerOfHull(movingHull);
    if (!mo) return nullptr;
    // Every edge of the moving hull itself.
    for (ZubBase* c = movingHull->segments.firstChild; c; c = c->nextSibling) {
        const HullSegment* m = static_cast<const HullSegment*>(c);
        V3 aW, bW;
        mo->localToWorld(aW, m->start);
        mo->localToWorld(bW, m->start + m->dV);
        const A99Object* mappedOwner = nullptr;
        V3 aL, bL;
        for (HullSegment* k = head; k; k = k->sweepNext) {
            if (k->wasRelevantInIteration != iteration || hullOf(k) == movingHull) continue;
            A99Object* ko = ownerOf(k);
            if (!ko) continue;
            if (ko != mappedOwner) {
                mappedOwner = ko;
                ko->world2local(aL, aW);
                ko->world2local(bL, bW);
            }
            const float dA = planarDot(k->normal, aL, k->start);
            const float dB = planarDot(k->normal, bL, k->start);
            if (!((dA < 0.0f && dB > 0.0f) || (dA > 0.0f && dB < 0.0f))) continue;
            const float fa = std::fabs(dA), fb = std::fabs(dB);
            const V3 x = aL + (bL - aL) * (fa / (fa + fb));
            if (!inSpan(k, planarDot(k->along, x, k->start))) continue;
            V3 xW;
            ko->localToWorld(xW, x);
            const float d = V3::distanceSquared(xW, p1World);
            if (d < phase2_bestDistanceSq) {
                phase2_bestDistanceSq = d;
                phase2Segment = k;
                phase2_bestPXWorld = xW;
            }
        }
    }
    return phase2Segment;
}

// ---------------------------------------------------------------------------
// Responses

void Xsect::stopAt(HullSegment* s) {
    hitPoint = resultPoint = s->pXWorld;
    resultDir = V3();
    bDone = true;
}

void Xsect::handleHit(int response) {
    ZUB_ASSERT(!bPreempted);
    ZUB_ASSERT(best_hs != NULL);
    HullSegment* s = best_hs;
    if (iteration > kMaxIterations) {
        // A hull that keeps a body bouncing (a closed hull of two vertices
        // has both faces on one line) would warn every frame: once per hull.
        Hull* h = hullOf(s);
        if (!h || !h->bIterationsWarned) Console::printActive(u"WARNING: Iterations exceeded maximum!");
        if (h) h->bIterationsWarned = true;
        bDone = true;
    }
    A99Object* o = ownerOf(s);
    V3 p2L;
    if (o) o->world2local(p2L, p2World);
    const V3 q = s->start;
    switch (response) {
        case STOP:
            stopAt(s);
            break;
        case SLIDE: {
            if (!o) {
                stopAt(s);
                break;
            }
            // The end mirrored across the line: projected onto it and moved
            // out in front by the depth it had behind it.
            const float along = planarDot(s->along, p2L, q);
            const float depth = planarDot(s->normal, p2L, q);
            const V3 endL = q + s->along * along + s->normal * (-depth);
            V3 endW;
            o->localToWorld(endW, endL);
            hitPoint = s->pXWorld;
            resultPoint = endW;
            p1World = hitPoint;
            p2World = resultPoint;
            resultDir = (p2World - p1World).normalized();
            if (s->prevJoint == HullSegment::JOINT_RIGHT)
                if (HullSegment* p = s->prev()) p->ignoreInIteration = iteration + 1;
            if (s->nextJoint == HullSegment::JOINT_RIGHT)
                if (HullSegment* n = s->next()) n->ignoreInIteration = iteration + 1;
            break;
        }
        case WALK: {
            if (!o || bForcedSolution || s->wasFinalSolutionInIteration >= 1) {
                stopAt(s);
                bWalkBlocked = true;
                break;
            }
            const float along = planarDot(s->along, p2L, q);
            HullSegment* behind = along <= s->pXdotAlong ? s->next() : s->prev();
            if (behind) behind->ignoreInIteration = iteration + 1;
            const V3 endL = q + s->along * along;
            V3 endW;
            o->localToWorld(endW, endL);
            hitPoint = s->pXWorld;
            resultPoint = endW;
            p1World = hitPoint;
            p2World = resultPoint;
            resultDir = (p2World - p1World).normalized();
            break;
        }
        case PASS:
            hitPoint = s->pXWorld;
            resultPoint = p2World;
            s->ignoreInIteration = kPassedThrough;
            resultDir = (p2World - p1World).normalized();
            break;
        default:
            ZUB_ERROR(u"Unhandled response.");
    }
    s->wasFinalSolutionInIteration = iteration;
    if (bDone) bFinished = true;
}

// ---------------------------------------------------------------------------

void Xsect::dumpXsectState() {
    const char* fn = "Xsect::dumpXsectState";
    Logger& log = Logger::get();
    auto line = [&](const WString& text) { log.log(u"%s(): %s", fn, text); };
    line(formatString(u"Dumping state for frame %d...", frame));
    line(formatString(u"flags=%08x", flags));
    line(formatString(u"iteration=%d", iteration));
    line(formatString(u"p1World=(%.6lf,%.6lf)", p1World.x, p1World.y));
    line(formatString(u"p2World=(%.6lf,%.6lf)", p2World.x, p2World.y));
    line(formatString(u"phase2_bestPXWorld=(%.6lf,%.6lf)", phase2_bestPXWorld.x, phase2_bestPXWorld.y));
    line(formatString(u"numPotentialSolutions=%d", numPotentialSolutions));
    line(formatString(u"phase2_bestDistanceSq=%.6lf", phase2_bestDistanceSq));
    int index = 0;
    for (HullSegment* s = head; s; s = s->sweepNext, ++index) {
        const V3 a = s->getV1() ? s->getV1()->vertex : s->start;
        const V3 b = s->getV2() ? s->getV2()->vertex : s->start + s->dV;
        line(formatString(u"HullSegment %d:", index));
        line(formatString(u"\t v1=(%.6lf,%.6lf)", a.x, a.y));
        line(formatString(u"\t v2=(%.6lf,%.6lf)", b.x, b.y));
        line(formatString(u"\t wasFinalSolutionInIteration=%d", s->wasFinalSolutionInIteration));
        line(formatString(u"\t wasPotentialSolutionInIteration=%d", s->wasPotentialSolutionInIteration));
        line(formatString(u"\t wasReductionTestedInIteration=%d", s->wasReductionTestedInIteration));
        line(formatString(u"\t wasViolatedInIteration=%d", s->wasViolatedInIteration));
        line(formatString(u"\t wasRelevantInIteration=%d", s->wasRelevantInIteration));
        line(formatString(u"\t ignoreInIteration=%d", s->ignoreInIteration));
        line(formatString(u"\t violations=%d", s->violations));
        line(formatString(u"\t p1Local=(%.6lf,%.6lf)", s->p1Local.x, s->p1Local.y));
        line(formatString(u"\t p2Local=(%.6lf,%.6lf)", s->p2Local.x, s->p2Local.y));
        line(formatString(u"\t dot1=%.6lf", s->dot1));
        line(formatString(u"\t bDot1Pass=%d", s->bDot1Pass ? 1 : 0));
        line(formatString(u"\t dot2=%.6lf", s->dot2));
        line(formatString(u"\t bDot2Pass=%d", s->bDot2Pass ? 1 : 0));
        line(formatString(u"\t pXWorld=(%.6lf,%.6lf)", s->pXWorld.x, s->pXWorld.y));
        line(formatString(u"\t pXdotAlong=%.6lf", s->pXdotAlong));
        line(formatString(u"\t debug_consideredFrame=%d", s->debug_consideredFrame));
        line(formatString(u"\t debug_collidedFrame=%d", s->debug_collidedFrame));
    }
    line(u"Done.");
}
