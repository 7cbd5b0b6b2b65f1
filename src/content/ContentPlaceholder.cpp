// Content screens.
