#pragma once

#include "engine/analysis.h"
#include "engine/closure.h"
#include "engine/relation_matrix.h"
#include "engine/variant.h"
#include "toolkit/random.h"

namespace engine {

/// Throws std::out_of_range naming the first entry of the n × n block of `matrix` that is not a
/// number in [0, 1] (the closures assume degrees; a NaN would keep them iterating for ever).
void CheckDegrees(int n, const RelationMatrix& matrix);

/// The relation under study and what lives from one trial to the next: the settings, the
/// random sequence, the closures' memory and the results of the last analysis. The matrices grow
/// with the dimension (half a megabyte up to 100); a trial allocates nothing but the texts.
class Engine {
public:
    explicit Engine(const Variant& variant);
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    const Variant& variant() const { return variant_; }

    /// One trial: count it, generate a relation (or swap the pending pair), analyse it.
    /// A dimension outside 1 … kLargestDimension, or a pending swap index outside 0 … n − 1,
    /// throws std::out_of_range naming the value and the range, and a dimension the machine has
    /// not the memory for throws MemoryError, before anything changes.
    void RunTrial();
    /// A new random relation in the leading n × n block.
    void GenerateRelation();
    /// Exchanges the roles of elements swapFirst and swapSecond in the relation.
    void SwapElements();
    /// Analyses the relation into `results`.
    void AnalyzeRelation();
    /// Sets the leading n × n block of the relation to 0.
    void ClearRelation();
    /// A trial on a relation brought from outside: the n × n block of `matrix` becomes the
    /// relation at dimension n and is analysed; nothing is drawn. Throws std::out_of_range,
    /// before anything changes, for a dimension outside 1 … kLargestDimension or a value that is
    /// not a number in [0, 1] (MemoryError, an out_of_range, when the memory is missing).
    void LoadRelation(int n, const RelationMatrix& matrix);
    /// The same, giving the storage of `matrix` back (it is left empty) before the analysis,
    /// which then runs without the caller's copy of the relation beside it.
    void LoadRelation(int n, RelationMatrix&& matrix);

    /// Draws the next relation of the sequence at dimension n with the current options, for a
    /// trial analysed elsewhere (AdoptTrial).
    void DrawRelation(int n, RelationMatrix& target);
    /// Takes over a trial at dimension n whose relation came from DrawRelation and was analysed
    /// with another memory (`memoryAfter`: that memory after the analysis). Leaves the engine
    /// exactly as RunTrial would have: the matrices and distances are the relation's alone, and
    /// the iteration counts and the memory follow from whether this engine's memory lets the
    /// closure take no iteration.
    void AdoptTrial(int n, const RelationMatrix& drawn, const ClosureMemory& memoryAfter, const Analysis& analysis);

    /// Makes room in every matrix for dimension n, after checking that the machine has the
    /// memory (MemoryError otherwise, nothing changed). Allocates only when n grows past what the
    /// matrices hold.
    void Reserve(int n);

    const toolkit::RandomGenerator& random() const { return random_; }
    void SetRandom(const toolkit::RandomGenerator& random) { random_ = random; }

    // Settings, written directly by the commands.
    int dimension = 10;
    bool reflexive = false;
    bool symmetric;
    bool swapPending = false;
    int swapFirst = 0;
    int swapSecond = 0;
    int trialCount = 0;
    /// When set, the analyses report to it and stop when it asks (AnalysisStopped: the trial's
    /// results are then incomplete; analyse aside where they must stay whole).
    AnalysisControl* control = nullptr;

    RelationMatrix relation{};
    /// Results of the last analysis.
    Analysis results;
    ClosureMemory closureMemory;

private:
    Variant variant_;
    toolkit::RandomGenerator random_;
};

}  // namespace engine
