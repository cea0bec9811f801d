// Placeholder until the engine is built.
