// Administration screens.
