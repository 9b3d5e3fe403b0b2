// One lint configuration for the page's JavaScript: the recommended rules,
// and the style the code already keeps.
import js from '@eslint/js';
import stylistic from '@stylistic/eslint-plugin';
import globals from 'globals';

export default [
  {
    files: ['web/src/**/*.js'],
    languageOptions: {
      ecmaVersion: 2022,
      sourceType: 'module',
      // The bundle entries also hand their object to a CommonJS host.
      globals: { ...globals.browser, module: 'readonly' },
    },
    plugins: { '@stylistic': stylistic },
    rules: {
      ...js.configs.recommended.rules,
      '@stylistic/indent': ['error', 2, { SwitchCase: 1, flatTernaryExpressions: true }],
      '@stylistic/semi': ['error', 'always'],
      '@stylistic/quotes': ['error', 'single', { avoidEscape: true, allowTemplateLiterals: 'always' }],
      '@stylistic/comma-dangle': ['error', 'always-multiline'],
      '@stylistic/arrow-parens': ['error', 'always'],
      '@stylistic/eol-last': 'error',
      '@stylistic/no-trailing-spaces': 'error',
      '@stylistic/brace-style': ['error', '1tbs', { allowSingleLine: true }],
      '@stylistic/object-curly-spacing': ['error', 'always'],
      '@stylistic/keyword-spacing': 'error',
      '@stylistic/space-before-blocks': 'error',
      '@stylistic/space-infix-ops': 'error',
      '@stylistic/comma-spacing': 'error',
      '@stylistic/no-multiple-empty-lines': ['error', { max: 1 }],
      // A hyphen or slash in a character class is escaped, wherever it stands.
      'no-useless-escape': 'off',
      eqeqeq: ['error', 'always', { null: 'ignore' }],
      'prefer-const': 'error',
      'no-var': 'error',
    },
  },
];
