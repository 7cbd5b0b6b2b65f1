// Record engine.
