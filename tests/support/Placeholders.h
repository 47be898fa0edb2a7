#pragma once
// Every texture and sound of the resource manifest as placeholders, made
// once per program and kept: blank pixels cut into the generated content's
// frames and sizes, silent sounds with the manifest's playbacks and pitch
// ranges. Free of the test framework, so that the benchmarks take the same
// (bench/BenchSupport.h).
class ResourceManager;

namespace leveltest {

// Registers them under their names, as a TestLevel does.
void registerPlaceholders(ResourceManager& resources);

}  // namespace leveltest
